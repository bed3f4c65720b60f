#include "sim/server/ConsoleCommands.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace zqsim {
namespace {

constexpr unsigned kDirectoryProlog = 0x2A96;

std::string Printable(const std::string& name) {
    std::string out;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\" + std::to_string(byte / 100) + std::to_string(byte / 10 % 10) +
                   std::to_string(byte % 10);
        }
    }
    return out;
}

}  // namespace

std::string DescribeListing(const std::string& listing) {
    std::ostringstream out;
    int depth = 0;
    std::size_t at = 0;
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(listing[i]); };
    while (at < listing.size()) {
        std::size_t length = byte(at);
        if (length == 0) {
            depth = depth > 0 ? depth - 1 : 0;
            ++at;
            continue;
        }
        if (at + 1 + length + 7 > listing.size()) {
            out << "(listing ends inside an entry)\n";
            break;
        }
        std::string name = listing.substr(at + 1, length);
        at += 1 + length;
        unsigned prolog = byte(at) | byte(at + 1) << 8;
        unsigned nibbles = byte(at + 2) | byte(at + 3) << 8 | (byte(at + 4) & 15) << 16;
        at += 7;
        char line[64];
        std::snprintf(line, sizeof line, "  prolog %04X  %u bytes", prolog, (nibbles + 1) / 2);
        out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << Printable(name) << line
            << '\n';
        if (prolog == kDirectoryProlog) {
            ++depth;
        }
    }
    return out.str();
}

std::string ConsoleCommands::HelpText() {
    return "commands:\n"
           "  server | stack          the XModem server / the stack (nothing answered)\n"
           "  xrecv NAME | xsend NAME the calculator's XRECV and XSEND\n"
           "  screen [esc|w|g|generic|large]   send the screen; trigger: send it now\n"
           "  rom | kermit            the ROM loader / the Kermit server\n"
           "  fault [PLAN|none]       show or set the fault plan (see zqsim --help)\n"
           "  pull | plug             pull the cable / plug it in again (new port line)\n"
           "  tree | display | stats  the memory, the screen lines, the counters\n"
           "  exec LINE               evaluate an RPL command line on the calculator\n"
           "  help | quit\n";
}

bool ConsoleCommands::Run(const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::string rest;
    std::getline(words >> std::ws, rest);
    if (command.empty()) {
        return true;
    }
    if (command == "quit" || command == "exit") {
        return false;
    }
    if (command == "help") {
        out_ << HelpText();
    } else if (RunModeCommand(command, rest)) {
    } else if (command == "fault") {
        if (!rest.empty()) {
            try {
                server_.SetFaultPlan(ParseFaultPlan(rest));
            } catch (const std::invalid_argument& error) {
                out_ << error.what() << '\n';
            }
        }
        out_ << "fault plan: " << DescribeFaultPlan(server_.CurrentFaultPlan()) << '\n';
    } else if (command == "tree") {
        PrintTree();
    } else if (command == "display") {
        server_.WithCalculator([this](CalculatorModel& model) {
            for (const std::string& text : model.DisplayLines()) {
                out_ << Printable(text) << '\n';
            }
        });
    } else if (command == "stats") {
        PrintStats();
    } else if (command == "exec" && !rest.empty()) {
        Execute(rest);
    } else {
        out_ << "unknown command '" << line << "' (type help)\n";
    }
    out_.flush();
    return true;
}

bool ConsoleCommands::RunModeCommand(const std::string& command, const std::string& rest) {
    if (command == "server") {
        server_.EnterServer();
    } else if (command == "stack") {
        server_.EnterIdle();
    } else if ((command == "xrecv" || command == "xsend") && !rest.empty()) {
        command == "xrecv" ? server_.StartXRecv(rest) : server_.StartXSend(rest);
    } else if (command == "screen") {
        auto variant = ParseScreenVariant(rest);
        if (!variant) {
            out_ << "screen variants: esc w g generic large\n";
        } else {
            server_.StartScreen(*variant);
        }
    } else if (command == "trigger") {
        server_.TriggerScreen();
    } else if (command == "rom") {
        server_.StartRom();
    } else if (command == "kermit") {
        server_.StartKermit();
    } else if (command == "pull") {
        server_.PullCable();
    } else if (command == "plug") {
        server_.Start();
        out_ << "port " << server_.PortName() << '\n';
    } else {
        return false;
    }
    return true;
}

void ConsoleCommands::PrintTree() {
    server_.WithCalculator([this](CalculatorModel& model) {
        out_ << "HOME\n" << DescribeListing(model.Listing());
    });
}

void ConsoleCommands::Execute(const std::string& commandLine) {
    server_.WithCalculator([&](CalculatorModel& model) {
        model.Execute(commandLine);
        for (const std::string& text : model.DisplayLines()) {
            out_ << Printable(text) << '\n';
        }
    });
}

void ConsoleCommands::PrintStats() {
    SimStats s = server_.Stats();
    out_ << "mode " << ModeName(s.mode) << (s.busy ? " (busy)" : "") << "\nletters";
    for (char letter : std::string("EGPVMlQ")) {
        out_ << ' ' << letter << '=' << s.letters[static_cast<unsigned char>(letter)];
    }
    out_ << "\npackets in " << s.packetsReceived << " (rejected " << s.packetsRejected << "), out "
         << s.packetsSent << " (resent " << s.packetResends << ")\n"
         << "blocks out " << s.blocksSent << " (resent " << s.blockResends << "), in "
         << s.blocksReceived << " (duplicates " << s.duplicateBlocks << ", rejected "
         << s.blocksRejected << ")\n"
         << "objects sent " << s.objectsSent << ", stored " << s.objectsStored
         << ", failed transfers " << s.transfersFailed << ", refused " << s.transfersRefused
         << "\nscreens " << s.screensSent << ", kermit packets " << s.kermitPackets << ", rom "
         << s.rom.receivedSize << "/" << s.rom.announcedSize << "\nbytes in " << s.bytesIn
         << ", out " << s.bytesOut << ", stray " << s.strayBytes << "\nlast: " << s.lastOutcome
         << '\n';
}

}  // namespace zqsim
