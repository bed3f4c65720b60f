#include "objects/CalcNames.h"

#include <string_view>

#include "objects/CharTranslationTable.h"

namespace vaddex {
namespace {

constexpr std::string_view kFileNameUnsafe = "^\\/<>:*?\"|";
constexpr std::string_view kImproperChars = " ,@#[]{}()\"':_+-*\\/^=<>!";
constexpr std::string_view kImproperCalcChars = "\xAB\xBB\x83\x89\x8A\x88\x84";
// What ends a name on the calculator besides blanks and quotes: the delimiters of lists,
// vectors, tags and programs, the list separator, and the operators of an algebraic.
constexpr std::string_view kProgramDelimiters = "\xAB\xBB";
constexpr std::string_view kNameEnders = "{}[]():,+-*/^=";

char EscapeOf(bool fileForm) {
    return fileForm ? '^' : '\\';
}

bool IsImproper(const std::string& calcName) {
    if (calcName.empty()) {
        return false;
    }
    if (calcName[0] >= '0' && calcName[0] <= '9') {
        return true;
    }
    for (char c : calcName) {
        if (kImproperChars.find(c) != std::string_view::npos ||
            kImproperCalcChars.find(c) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string CalcNameToPc(const std::string& name, bool fileForm) {
    const char escape = EscapeOf(fileForm);
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (!fileForm && ch == '\\') {
            out.push_back('\\');
        }
        bool escaped =
            c >= 127 || c <= 31 || (fileForm && kFileNameUnsafe.find(ch) != std::string_view::npos);
        if (!escaped) {
            out.push_back(ch);
            continue;
        }
        out.push_back(escape);
        const CharTranslation* t = TranslationOfCode(c);
        if (t && (!fileForm || t->fileNameSafe)) {
            out.append(t->mnemonic);
        } else {
            out.append(DecimalCode(c));
        }
    }
    return out;
}

std::string PcNameToCalc(const std::string& name, bool fileForm) {
    const char escape = EscapeOf(fileForm);
    std::string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        char ch = name[i];
        if (!fileForm && ch == escape && name.size() - i == 2 && name[i + 1] == escape) {
            // A name ending in a backslash is shown ending in two: they must give one back, or
            // the calculator would get a different name when the name ends a command packet.
            out.push_back(escape);
            i += 2;
            continue;
        }
        if (ch != escape || name.size() - i < 3) {
            out.push_back(ch);
            ++i;
            continue;
        }
        unsigned char code = 0;
        // "000" is never decoded: a name holds no character 0.
        if (ReadDecimalCode(name, i + 1, code) && name.compare(i + 1, 3, "000") != 0) {
            out.push_back(static_cast<char>(code));
            i += 4;
        } else if ((code = CodeOfMnemonic(name[i + 1], name[i + 2])) != 0) {
            out.push_back(static_cast<char>(code));
            i += 3;
        } else {
            // The escape character only protects the next one (a doubled backslash).
            out.push_back(name[i + 1]);
            i += 2;
        }
    }
    return out;
}

std::string UnsafeNameReason(const std::string& calcName) {
    if (calcName.empty()) {
        return "it is empty";
    }
    for (char ch : calcName) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= ' ') {
            return "it holds a blank, a line break or another control character";
        }
        if (ch == '\'' || ch == '"') {
            return "it holds a quote";
        }
        if (kProgramDelimiters.find(ch) != std::string_view::npos) {
            return "it holds a program delimiter";
        }
        if (kNameEnders.find(ch) != std::string_view::npos) {
            return std::string("it holds the character ") + ch + ", which ends a name";
        }
    }
    return {};
}

std::string IncompleteEscapeReason(const std::string& displayName) {
    const std::string kHowTo = "; a backslash of the name is written \\\\";
    const std::size_t size = displayName.size();
    for (std::size_t i = 0; i < size;) {
        if (displayName[i] != '\\') {
            ++i;
            continue;
        }
        unsigned char code = 0;
        if (i + 1 == size) {
            return "it ends in a backslash that escapes nothing" + kHowTo;
        }
        if (displayName[i + 1] == '\\') {
            i += 2;
        } else if (ReadDecimalCode(displayName, i + 1, code) &&
                   displayName.compare(i + 1, 3, "000") != 0) {
            i += 4;
        } else if (i + 2 < size && CodeOfMnemonic(displayName[i + 1], displayName[i + 2]) != 0) {
            i += 3;
        } else {
            return "its backslash before " + displayName.substr(i + 1, 1) +
                   " starts no escape (three digits or a two-letter code)" + kHowTo;
        }
    }
    return {};
}

bool IsReservedName(const std::string& calcName) {
    return calcName == "HOME";
}

NameCheck CheckCalcName(const std::string& name, const AskOkCancel& ask,
                        const std::function<void()>& beep) {
    NameCheck check;
    std::string calcName = PcNameToCalc(name, false);
    if (!IsImproper(calcName)) {
        return check;
    }
    check.proper = false;
    if (beep) {
        beep();
    }
    std::string text = CalcNameToPc(calcName, false) + "\r\n" +
                       "is an improper variable name on the calculator.\r\n" +
                       "This may result in failure of the command or connection.\r\n\r\n" +
                       "Continue with the command?";
    check.goOn = ask && ask(text, kImproperNameCaption);
    return check;
}

}  // namespace vaddex
