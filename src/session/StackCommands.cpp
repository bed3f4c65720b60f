#include "session/StackCommands.h"

#include <algorithm>
#include <charconv>

#include "objects/TextFileForm.h"
#include "session/ErrorOutcome.h"
#include "session/StackLines.h"
#include "session/TXModemServer.h"

namespace vaddex {
namespace {

// What a calculator that cannot parse a command line says.
constexpr const char* kSyntaxErrorText = "Invalid Syntax";

}  // namespace

StackCommands::StackCommands(TXModemServer& session) : session_(session) {}

Outcome StackCommands::Guarded(const std::function<Outcome()>& operation) {
    return GuardedOutcome(operation, [this] { return session_.PortLost(); });
}

Outcome StackCommands::ReadString(const std::string& script, const std::string& failure,
                                  std::string& text) {
    if (Outcome got = session_.RunScratchScript(script); !got) {
        return got.IsCancelled() ? got : Outcome::Fail(Outcome::Kind::LinkFailed, failure);
    }
    text = StringObjectText(session_.Data);
    return Outcome::Done();
}

// The line's error message, or "" for none, is stored where the line ends and read back. A
// line the calculator cannot parse never runs, so the marker stored beforehand stays.
Outcome StackCommands::RunCheckedLine(const std::string& line, std::string& error) {
    if (OnLineRun) {
        OnLineRun();
    }
    return Guarded([&] {
        session_.Execute("\"" + std::string(kSyntaxErrorText) + "\" '" + kScratchVariable + "' STO",
                         false, true);
        return ReadString(std::string("'") + kScratchVariable + "' PURGE IFERR " + line +
                              " THEN ERRM ELSE \"\" END '" + kScratchVariable + "' STO",
                          "the calculator's answer to the line could not be read", error);
    });
}

Outcome StackCommands::ReadDepth(std::size_t& depth) {
    depth = 0;
    return Guarded([&] {
        std::string text;
        Outcome read = ReadString(std::string("DEPTH \x8DSTR '") + kScratchVariable + "' STO",
                                  "the calculator's stack depth could not be read", text);
        std::from_chars(text.data(), text.data() + text.size(), depth);
        return read;
    });
}

Outcome StackCommands::ReadWholeStack(std::size_t depth, std::vector<std::string>& lines) {
    lines.clear();
    return Guarded([&] { return ReadLevels(depth, lines); });
}

Outcome StackCommands::ReadLevels(std::size_t depth, std::vector<std::string>& lines) {
    // The picture is read a few levels at a time: the calculator lists every level, deepest
    // first, and keeps the part asked for.
    for (std::size_t first = 1; first <= depth; first += kStackPictureLevels) {
        std::size_t last = std::min(depth, first + kStackPictureLevels - 1);
        std::string script = "DEPTH DUPN DEPTH 2. / \x8DLIST " + std::to_string(first) + ". " +
                             std::to_string(last) + ". SUB 1. \xAB IF DUP TYPE 2. == THEN \"" +
                             kStackStringMarker + "\" SWAP + END \x8DSTR \xBB DOSUBS '" +
                             kScratchVariable + "' STO";
        if (Outcome got = session_.RunScratchScript(script); !got) {
            return got.IsCancelled() ? got
                                     : Outcome::Fail(Outcome::Kind::LinkFailed,
                                                     "the calculator's stack could not be read");
        }
        std::vector<std::string> part = StackLinesFromList(session_.Data);
        for (std::size_t i = 0; i < part.size(); ++i) {
            std::size_t colon = part[i].find(':');
            lines.push_back(std::to_string(depth - (first - 1 + i)) +
                            part[i].substr(colon == std::string::npos ? 0 : colon));
        }
    }
    return Outcome::Done();
}

}  // namespace vaddex
