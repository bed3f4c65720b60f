// What a put may replace and how receives choose their check, through vaddex-cli against
// zqsim: a directory is never replaced unasked, and the CRC is asked for first, its
// fallback paid once per port.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <string>
#include <vector>

#include "cli/CliHarness.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

const std::string kGreetingFile = std::string("ZQZQK8-R,*\x90\x01\x00", 13) + "Hello, ZQ!";
constexpr const char* kFallbackTrace = "Rx no CRC block, asking for the checksum";

class CliPutPolicyTest : public ::testing::Test {
protected:
    CliResult On(const ZqsimProcess& sim, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"-p", sim.Port()});
        return cli_.Run(arguments);
    }

    // The type the listing of HOME gives the name, "" when it is not there.
    std::string TypeOf(const ZqsimProcess& sim, const std::string& name) {
        QJsonArray items = ParseJson(On(sim, {"ls", "--json"}).out).array();
        for (const auto& item : items) {
            if (item.toObject()["name"].toString().toStdString() == name) {
                return item.toObject()["type"].toString().toStdString();
            }
        }
        return "";
    }

    CliHarness cli_;
};

TEST_F(CliPutPolicyTest, APutOntoADirectoryReplacesItOnlyWhenToldTo) {
    struct Row {
        std::vector<std::string> arguments;
        int status;
        const char* said;
        const char* typeAfter;
    } rows[] = {
        {{"--yes", "put", "g.zq:GAMES"}, 1, "--replace-directories", "Directory"},
        {{"--no", "put", "g.zq:GAMES"},
         1,
         "GAMES: not replaced: it is a directory holding 2 items",
         "Directory"},
        {{"--yes", "-t", "put", "g.txt:GAMES"}, 1, "is a directory holding 2 items", "Directory"},
        {{"--yes", "--replace-directories", "put", "g.zq:GAMES"},
         0,
         "Sent g.zq as GAMES",
         "String"},
    };
    ASSERT_TRUE(WriteWholeFile(cli_.Work("g.zq"), kGreetingFile));
    ASSERT_TRUE(WriteWholeFile(cli_.Work("g.txt"), "%%ZQ: T(3)A(D)F(.);\r\n\"text\"\r\n"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        ZqsimProcess sim;
        CliResult put = On(sim, row.arguments);
        EXPECT_EQ(put.status, row.status) << put.err;
        EXPECT_NE((put.out + put.err).find(row.said), std::string::npos) << put.out << put.err;
        EXPECT_EQ(TypeOf(sim, "GAMES"), row.typeAfter);
        // The calculator still answers whatever the put did.
        EXPECT_EQ(On(sim, {"ls", "-C", "MATHS"}).status, 0);
    }
}

// A binary put whose name the calculator did not take as the type sent is no success.
TEST_F(CliPutPolicyTest, APutSucceedsOnlyWhenTheListingHoldsTheTypeSent) {
    ZqsimProcess sim;
    ASSERT_TRUE(WriteWholeFile(cli_.Work("NEW.zq"), kGreetingFile));
    CliResult put = On(sim, {"put", "NEW.zq"});
    ASSERT_EQ(put.status, 0) << put.err;
    EXPECT_EQ(TypeOf(sim, "NEW"), "String");
}

TEST_F(CliPutPolicyTest, TheCrcIsAskedFirstAndAChecksumPortIsRememberedOnce) {
    ZqsimProcess sim({"--checksum-only"});
    CliResult first = On(sim, {"--trace", "first.txt", "get", "GREETING"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(ReadFile(cli_.Work("GREETING.zq")), kGreetingFile);
    EXPECT_NE(ReadFile(cli_.Work("first.txt")).find(kFallbackTrace), std::string::npos);
    EXPECT_NE(first.err.find("answered only with the one-byte checksum"), std::string::npos)
        << first.err;
    EXPECT_NE(cli_.ReadSettings().find(sim.Port()), std::string::npos) << cli_.ReadSettings();

    // The port is known now: the checksum is asked for at once, and nothing is said again.
    CliResult second = On(sim, {"--trace", "second.txt", "get", "GREETING", "again.zq"});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(ReadFile(cli_.Work("again.zq")), kGreetingFile);
    EXPECT_EQ(ReadFile(cli_.Work("second.txt")).find(kFallbackTrace), std::string::npos);
    EXPECT_EQ(second.err.find("one-byte checksum"), std::string::npos) << second.err;
}

TEST_F(CliPutPolicyTest, ChecksumIsUsedOnlyWhenForced) {
    ZqsimProcess sim;
    struct Row {
        std::vector<std::string> options;
        const char* traced;  // the check the blocks came in, as the session traces it
    } rows[] = {{{}, "Received with a CRC"}, {{"--checksum"}, "Received with the checksum"}};
    for (const Row& row : rows) {
        std::vector<std::string> arguments = row.options;
        arguments.insert(arguments.end(), {"--trace", "t.txt", "get", "GREETING"});
        CliResult got = On(sim, arguments);
        ASSERT_EQ(got.status, 0) << got.err;
        EXPECT_NE(ReadFile(cli_.Work("t.txt")).find(row.traced), std::string::npos) << row.traced;
    }
}

// Failures say what happened in a sentence, never the general connection error or a
// library's wording.
TEST_F(CliPutPolicyTest, FailuresSayWhatHappened) {
    ASSERT_TRUE(WriteWholeFile(cli_.Work("g.zq"), kGreetingFile));
    struct Row {
        std::vector<std::string> simOptions;
        std::vector<std::string> arguments;
        const char* said;
    } rows[] = {
        // The port goes while the calculator is identified.
        {{"--fault", "pull-after=60"}, {"info"}, "is gone"},
        {{}, {"put", "g.zq:" + std::string(300, 'A')}, "the name is too long for a PC file"},
    };
    for (const Row& row : rows) {
        ZqsimProcess sim(row.simOptions);
        CliResult failed = On(sim, row.arguments);
        EXPECT_EQ(failed.status, 1);
        EXPECT_NE(failed.err.find(row.said), std::string::npos) << failed.err;
        EXPECT_EQ(failed.err.find("Connection Error"), std::string::npos) << failed.err;
        EXPECT_EQ(failed.err.find("filesystem error"), std::string::npos) << failed.err;
    }
}

}  // namespace
}  // namespace vaddex::test
