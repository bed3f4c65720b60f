// The one-object check against what the session sends: a text file's bytes go through the
// parse the put uses, and when the check passes them, the simulated calculator's own reader
// gets the sent literal (after the packet's translation) and then its contents, as OBJ\x8D
// does. Any word it would run outside an object is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "objects/CalcNames.h"
#include "objects/TextFileForm.h"
#include "objects/TextObjectCheck.h"
#include "sim/calc/CommandTable.h"
#include "sim/calc/RplError.h"
#include "sim/calc/RplParser.h"

namespace {

// The characters the calculator's command line makes of the sent literal.
bool ReadSentLiteral(const std::string& literal, char mark, std::string& contents) {
    std::vector<zqsim::ObjPtr> items;
    try {
        items = zqsim::ParseCommandLine(vaddex::PcNameToCalc(literal, false), mark);
    } catch (const zqsim::RplError&) {
        return false;  // the command line fails as a whole, nothing runs
    }
    if (items.size() != 1 || items[0]->kind != zqsim::ObjKind::String) {
        std::abort();  // the literal itself let something out
    }
    contents = items[0]->text;
    return true;
}

void RequireNothingRuns(const std::string& text, char mark) {
    std::vector<zqsim::ObjPtr> items;
    try {
        items = zqsim::ParseCommandLine(text, mark);
    } catch (const zqsim::RplError&) {
        return;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const zqsim::SimObject& item = *items[i];
        if (item.kind == zqsim::ObjKind::Command &&
            item.number == zqsim::CommandAddress(zqsim::Cmd::Quote)) {
            ++i;  // the quoted name is pushed, not run
        } else if (item.kind == zqsim::ObjKind::Command || item.kind == zqsim::ObjKind::Global) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vaddex::ParsedTextFile parsed =
        vaddex::ParseTextFile(std::string(reinterpret_cast<const char*>(data), size));
    // As the put does: the header's decimal mark, or either when it sets none.
    char mark = parsed.fraction == "-51 SF " ? ',' : parsed.fraction == "-51 CF " ? '.' : '\0';
    if (parsed.body.empty() || !vaddex::TextObjectCheck(parsed.objectText, mark).IsOneObject()) {
        return 0;
    }
    for (char readerMark : {'.', ','}) {
        if (mark != '\0' && readerMark != mark) {
            continue;
        }
        std::string contents = parsed.body;  // a long text travels as a string object, unchanged
        if (!parsed.stringMode || ReadSentLiteral(parsed.literal, readerMark, contents)) {
            RequireNothingRuns(contents, readerMark);
        }
    }
    return 0;
}
