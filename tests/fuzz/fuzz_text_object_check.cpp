// TextObjectCheck against the simulated calculator's own parser: a text let through never
// holds, outside every object, a word the calculator would run, with either decimal mark.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "objects/TextObjectCheck.h"
#include "sim/calc/CommandTable.h"
#include "sim/calc/RplError.h"
#include "sim/calc/RplParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!vaddex::TextObjectCheck(text).IsOneObject()) {
        return 0;
    }
    for (char mark : {'.', ','}) {
        std::vector<zqsim::ObjPtr> items;
        try {
            items = zqsim::ParseCommandLine(text, mark);
        } catch (const zqsim::RplError&) {
            continue;  // nothing runs of a text the calculator cannot parse
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const zqsim::SimObject& item = *items[i];
            bool quote = item.kind == zqsim::ObjKind::Command &&
                         item.number == zqsim::CommandAddress(zqsim::Cmd::Quote);
            if (quote) {
                ++i;  // the quoted name is pushed, not run
            } else if (item.kind == zqsim::ObjKind::Command ||
                       item.kind == zqsim::ObjKind::Global) {
                std::abort();
            }
        }
    }
    return 0;
}
