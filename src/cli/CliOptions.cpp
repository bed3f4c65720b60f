#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>

#include "cli/CliCommandTable.h"
#include "util/TextSplit.h"

namespace vaddex::cli {
namespace {

int ParseNumber(const std::string& option, const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError(option + " needs a number, not '" + text + "'");
    }
    return value;
}

// Options that take a value, by their long name.
bool TakesValue(const std::string& name) {
    return name == "port" || name == "speed" || name == "transio" || name == "dir" ||
           name == "trace" || name == "sim-name" || name == "execute" || name == "refresh" ||
           name == "options";
}

std::string LongNameOf(char shortName) {
    switch (shortName) {
        case 'p':
            return "port";
        case 's':
            return "speed";
        case 't':
            return "text";
        case 'C':
            return "dir";
        case 'h':
            return "help";
        case 'R':
            return "recursive";
        case 'e':
            return "execute";
        case 'o':
            return "options";
        default:
            return "";
    }
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    CliOptions Run() {
        bool optionsEnded = false;
        for (index_ = 0; index_ < arguments_.size(); ++index_) {
            const std::string& word = arguments_[index_];
            if (!optionsEnded && word == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && word.size() > 2 && word.compare(0, 2, "--") == 0) {
                std::size_t first = index_;
                LongOption(word.substr(2));
                KeepOptionWords(first);
            } else if (!optionsEnded && word.size() > 1 && word[0] == '-') {
                std::size_t first = index_;
                ShortOptions(word);
                KeepOptionWords(first);
            } else if (options_.command.empty()) {
                options_.command = word;
            } else {
                options_.arguments.push_back(word);
            }
        }
        if (!options_.help && !options_.version) {
            CheckCommand();
        }
        return options_;
    }

private:
    // The words from `first` to the current one were one option; a session repeats them.
    void KeepOptionWords(std::size_t first) {
        if (sessionOption_) {
            sessionOption_ = false;
            return;
        }
        for (std::size_t i = first; i <= index_; ++i) {
            options_.optionWords.push_back(arguments_[i]);
        }
    }

    std::string NextValue(const std::string& option) {
        if (index_ + 1 >= arguments_.size()) {
            throw UsageError("option " + option + " needs a value");
        }
        return arguments_[++index_];
    }

    void LongOption(const std::string& body) {
        std::size_t equals = body.find('=');
        std::string name = body.substr(0, equals);
        if (TakesValue(name)) {
            std::string value =
                equals != std::string::npos ? body.substr(equals + 1) : NextValue("--" + name);
            Apply(name, value);
        } else if (equals != std::string::npos) {
            throw UsageError("option --" + name + " takes no value");
        } else {
            Apply(name, "");
        }
    }

    // "-t", "-tR" and "-p PORT" or "-pPORT".
    void ShortOptions(const std::string& word) {
        for (std::size_t i = 1; i < word.size(); ++i) {
            std::string name = LongNameOf(word[i]);
            if (name.empty()) {
                throw UsageError(std::string("unknown option -") + word[i]);
            }
            if (TakesValue(name)) {
                std::string rest = word.substr(i + 1);
                Apply(name, !rest.empty() ? rest : NextValue(std::string("-") + word[i]));
                return;
            }
            Apply(name, "");
        }
    }

    void Apply(const std::string& name, const std::string& value) {
        if (name == "port") {
            if (value.empty()) {
                throw UsageError("option --port needs a port name");
            }
            options_.port = value;
        } else if (name == "speed") {
            int speed = ParseNumber("--speed", value);
            if (std::find(std::begin(kSpeeds), std::end(kSpeeds), speed) == std::end(kSpeeds)) {
                throw UsageError(
                    "--speed is one of 4800, 9600, 14400, 19200, 38400, 57600 and "
                    "115200, not " +
                    value);
            }
            options_.speed = speed;
        } else if (name == "transio") {
            int mode = ParseNumber("--transio", value);
            if (mode < 0 || mode > 3) {
                throw UsageError("--transio is 0, 1, 2 or 3, not " + value);
            }
            options_.transIO = mode;
        } else if (name == "dir") {
            options_.directory = NormaliseDirectory(value);
        } else if (name == "trace") {
            if (value.empty()) {
                throw UsageError("option --trace needs a file name");
            }
            options_.tracePath = value;
        } else if (name == "refresh") {
            options_.refreshSeconds = ParseNumber("--refresh", value);
            if (*options_.refreshSeconds < 0) {
                throw UsageError("--refresh needs a number of seconds, not '" + value + "'");
            }
        } else if (name == "options") {
            options_.mountOptions.push_back(value);
        } else if (name == "sim-name") {
            options_.simName = value;
        } else if (name == "execute") {
            options_.sessionCommands.push_back(value);
            sessionOption_ = true;
        } else {
            ApplyFlag(name);
        }
    }

    void ApplyFlag(const std::string& name) {
        if (name == "text") {
            options_.textMode = true;
        } else if (name == "no-cr") {
            options_.noCR = true;
        } else if (name == "no-trans031") {
            options_.noTrans031 = true;
        } else if (name == "crc" || name == "checksum") {
            bool crc = name == "crc";
            if ((crc && options_.checksum) || (!crc && options_.crc)) {
                throw UsageError("--crc and --checksum exclude each other");
            }
            (crc ? options_.crc : options_.checksum) = true;
        } else if (name == "replace-directories") {
            options_.replaceDirectories = true;
        } else if (name == "json") {
            options_.json = true;
        } else if (name == "verbose") {
            options_.verbose = true;
        } else if (name == "recursive") {
            options_.recursive = true;
        } else if (name == "all") {
            options_.all = true;
        } else if (name == "background") {
            options_.background = true;
        } else if (name == "yes" || name == "no") {
            AnswerMode mode = name == "yes" ? AnswerMode::Yes : AnswerMode::No;
            if (options_.answers != AnswerMode::Ask && options_.answers != mode) {
                throw UsageError("--yes and --no exclude each other");
            }
            options_.answers = mode;
        } else if (name == "stop-on-error") {
            options_.stopOnError = true;
            sessionOption_ = true;
        } else if (name == "help") {
            options_.help = true;
        } else if (name == "version") {
            options_.version = true;
        } else {
            throw UsageError("unknown option --" + name);
        }
    }

    void CheckCommand() const {
        if (!options_.sessionCommands.empty()) {
            if (!options_.command.empty()) {
                throw UsageError("-e and the command '" + options_.command +
                                 "' exclude each other (give it with -e)");
            }
            return;
        }
        if (options_.stopOnError && options_.command != "shell") {
            throw UsageError("--stop-on-error applies to -e and shell only");
        }
        if (options_.command.empty()) {
            throw UsageError("no command given");
        }
        const CliCommandRow* row = FindCliCommand(options_.command);
        if (row == nullptr) {
            throw UsageError("unknown command '" + options_.command + "'");
        }
        auto count = static_cast<int>(options_.arguments.size());
        if (count < row->minArguments) {
            throw UsageError(options_.command + ": missing argument");
        }
        if (count > row->maxArguments) {
            throw UsageError(options_.command + ": too many arguments");
        }
        if (options_.recursive && options_.command != "ls") {
            throw UsageError("-R applies to ls only");
        }
        if (options_.all && options_.command != "stack") {
            throw UsageError("--all applies to stack only");
        }
        if (options_.refreshSeconds && options_.command != "mount") {
            throw UsageError("--refresh applies to mount only");
        }
        if (!options_.mountOptions.empty() && options_.command != "mount") {
            throw UsageError("-o applies to mount only");
        }
        if (options_.background && options_.command != "mount") {
            throw UsageError("--background applies to mount only");
        }
        if (options_.json && options_.command != "info" && options_.command != "ls" &&
            options_.command != "stack") {
            throw UsageError("--json applies to info, ls and stack only");
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
    bool sessionOption_ = false;
    CliOptions options_;
};

}  // namespace

CliOptions ParseCliArguments(const std::vector<std::string>& arguments) {
    return Parser(arguments).Run();
}

bool IsSession(const CliOptions& options) {
    return !options.sessionCommands.empty() || options.command == "shell";
}

std::string NormaliseDirectory(const std::string& text) {
    std::vector<std::string> names = SplitSkippingEmpty(text, "/ ");
    if (!names.empty() && names.front() == "HOME") {
        names.erase(names.begin());
    }
    std::string path = "HOME";
    for (const std::string& name : names) {
        path += " " + name;
    }
    return path;
}

}  // namespace vaddex::cli
