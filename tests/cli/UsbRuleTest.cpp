#include "cli/UsbRule.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/CliErrors.h"

namespace vaddex::cli {
namespace {

std::string RuleLine(const std::string& text) {
    std::size_t start = text.find("SUBSYSTEM");
    return start == std::string::npos ? "" : text.substr(start);
}

// udev compares the sysfs text literally: "04D8" or "4d8" would never match "04d8".
TEST(UsbRule, IdIsWrittenAsSysfsShowsIt) {
    EXPECT_EQ(RuleLine(UsbRuleText("04D8:0aB")),
              "SUBSYSTEM==\"usb\", ENV{DEVTYPE}==\"usb_device\", ATTR{idVendor}==\"04d8\", "
              "ATTR{idProduct}==\"00ab\", TAG+=\"uaccess\"\n");
    std::string text = UsbRuleText("1a2b:3c4d");
    EXPECT_NE(text.find("1a2b:3c4d"), std::string::npos);
    // Every line before the rule is a comment, so the output can be saved as it is.
    for (std::size_t at = 0; at < text.find("SUBSYSTEM"); at = text.find('\n', at) + 1) {
        EXPECT_EQ(text[at], '#');
    }
}

TEST(UsbRule, MalformedIdsAreRefused) {
    for (const char* id : {"", ":", "1234", "1234:", ":5678", "12345:0001", "12g4:0001",
                           "1234:5678:9", "1234 :5678", "VVVV:PPPP", "0x12:0034"}) {
        EXPECT_THROW(UsbRuleText(id), UsageError) << id;
    }
}

}  // namespace
}  // namespace vaddex::cli
