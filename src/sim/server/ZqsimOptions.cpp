#include "sim/server/ZqsimOptions.h"

#include <stdexcept>

namespace zqsim {
namespace {

long long Number(const std::string& option, const std::string& value) {
    std::size_t used = 0;
    long long number = 0;
    try {
        number = std::stoll(value, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != value.size() || value.empty()) {
        throw std::invalid_argument(option + " needs a number, not '" + value + "'");
    }
    return number;
}

Personality ParsePersonality(const std::string& value) {
    if (value == "K7") {
        return Personality::K7;
    }
    if (value == "K8") {
        return Personality::K8;
    }
    if (value == "K7GII") {
        return Personality::K7GII;
    }
    if (value == "K8G+") {
        return Personality::K8GPlus;
    }
    throw std::invalid_argument("--model is one of K7, K8, K7GII, K8G+, not '" + value + "'");
}

CheckMode ParseCheck(const std::string& value) {
    if (value == "nak" || value == "checksum") {
        return CheckMode::Checksum;
    }
    if (value == "c" || value == "crc16") {
        return CheckMode::Crc16;
    }
    if (value == "d" || value == "kermit") {
        return CheckMode::Kermit;
    }
    throw std::invalid_argument("--check is nak, c or d, not '" + value + "'");
}

}  // namespace

std::string PersonalityName(Personality personality) {
    switch (personality) {
        case Personality::K7:
            return "K7";
        case Personality::K8:
            return "K8";
        case Personality::K7GII:
            return "K7GII";
        case Personality::K8GPlus:
            return "K8G+";
    }
    return "?";
}

namespace {

// The options without a value; false when the option is none of them.
bool ParseSwitch(const std::string& option, ZqsimOptions& options) {
    if (option == "--help" || option == "-h") {
        options.help = true;
    } else if (option == "--version") {
        options.version = true;
    } else if (option == "--usb") {
        options.server.transport = TransportKind::Fifo;
    } else if (option == "--pace") {
        options.server.pacing = true;
    } else if (option == "--quit-leaves-server") {
        options.server.quitLeavesServer = true;
    } else if (option == "--checksum-only") {
        options.server.checksumOnly = true;
    } else if (option == "--empty") {
        options.calculator.demoMemory = false;
    } else {
        return false;
    }
    return true;
}

void ParseValued(const std::string& option, const std::string& value, ZqsimOptions& options) {
    if (option == "--device") {
        options.server.deviceName = value;
    } else if (option == "--usb-root") {
        options.server.usbRoot = value;
    } else if (option == "--link") {
        options.server.ptyLink = value;
    } else if (option == "--model") {
        options.server.personality = ParsePersonality(value);
    } else if (option == "--block") {
        options.server.blockSize = static_cast<int>(Number(option, value));
        if (options.server.blockSize != 128 && options.server.blockSize != 1024) {
            throw std::invalid_argument("--block is 128 or 1024");
        }
    } else if (option == "--check") {
        options.server.receiveCheck = ParseCheck(value);
    } else if (option == "--busy") {
        options.server.busyMs = Number(option, value);
    } else if (option == "--command-ms") {
        options.calculator.busyMsPerCommand = Number(option, value);
    } else if (option == "--time-scale") {
        try {
            options.server.timeScale = std::stod(value);
        } catch (const std::exception&) {
            throw std::invalid_argument("--time-scale needs a number, not '" + value + "'");
        }
    } else if (option == "--seed") {
        options.server.seed = static_cast<std::uint64_t>(Number(option, value));
    } else if (option == "--screen-delay") {
        options.server.screenDelayMs = Number(option, value);
    } else if (option == "--fault") {
        options.faults = ParseFaultPlan(value);
    } else if (option == "--memory") {
        options.calculator.memoryBytes = Number(option, value);
    } else if (option == "--trace") {
        options.tracePath = value;
    } else {
        throw std::invalid_argument("unknown option '" + option + "' (see --help)");
    }
}

}  // namespace

ZqsimOptions ParseZqsimArguments(const std::vector<std::string>& arguments) {
    ZqsimOptions options;
    options.server.busyMs = 100;
    bool modelGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (ParseSwitch(option, options)) {
            continue;
        }
        if (option.rfind("--", 0) != 0 || i + 1 >= arguments.size()) {
            throw std::invalid_argument("unknown option or missing value: '" + option + "'");
        }
        ParseValued(option, arguments[++i], options);
        modelGiven = modelGiven || option == "--model";
    }
    if (!modelGiven && options.server.transport == TransportKind::Fifo) {
        options.server.personality = Personality::K8GPlus;
    }
    return options;
}

std::string ZqsimHelpText() {
    return R"(zqsim: a simulated ZQ calculator on a pseudo-terminal or a USB FIFO pair.
The first line printed is the port to open (the pty path, or the USB device name).
It serves until killed (SIGINT, SIGTERM) or told "quit"; commands come one a line on
standard input (type "help" there).

Options:
  --usb                   the USB device: a FIFO pair under $VADDEX_USB_ROOT
  --device NAME           USB device name (default: the first free of ZQx8G+, ZQx8G+_1..._4)
  --usb-root DIR          folder of the USB devices instead of $VADDEX_USB_ROOT
  --link PATH             also make a symbolic link to the pty at PATH
  --model K7|K8|K7GII|K8G+  the calculator (default K8; K8G+ with --usb)
  --block 128|1024        data bytes per block the calculator sends (default 1024)
  --check nak|c|d         what the calculator's receiver asks for: checksum, CRC-16,
                          the calculator's CRC (default d)
  --checksum-only         the calculator's sender ignores "C" and "D" and waits for NAK
  --busy MS               busy time after each command line and put (default 100)
  --command-ms MS         calculator time each command line costs at least (default 150)
  --time-scale X          factor on every busy time, WAIT included (default 1)
  --pace                  send at the line's speed (baud / 10 bytes per second)
  --seed N                seed of fault plans that give none (default 1)
  --screen-delay MS       screen sending starts this long after "screen"; negative: on
                          "trigger" (default 1500)
  --fault PLAN            start with a fault plan, e.g. "corrupt-out=0.01 seed=7"
  --quit-leaves-server    "Q" ends the server (the calculator shows its stack)
  --empty                 start with an empty memory instead of the demo variables
  --memory BYTES          user memory size (default 32768)
  --trace FILE            log every byte and event to FILE ("-": standard error)
  --help                  this text
  --version               the program's version

Fault plan words (blank-separated): seed=N corrupt-in=P corrupt-out=P corrupt=P drop-in=P
drop-out=P drop=P (P a chance per byte, 0 to 1) lose-ack=N (the ACK of block N of the next
transfer) bad-packet=N (the next N answer packets carry a wrong checksum) silence-after=N
pull-after=N (bytes sent from now on); "none" clears the plan.
)";
}

}  // namespace zqsim
