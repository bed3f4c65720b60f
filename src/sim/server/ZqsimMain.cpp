// zqsim: the simulated calculator as a program of its own.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/calc/SimCalculator.h"
#include "sim/server/ConsoleCommands.h"
#include "sim/server/SimServer.h"
#include "sim/server/WakePipe.h"
#include "sim/server/ZqsimOptions.h"
#include "util/VersionText.h"

namespace {

zqsim::WakePipe* gSignalPipe = nullptr;

extern "C" void OnSignal(int) {
    // Only the write of one byte: async-signal-safe.
    if (gSignalPipe != nullptr) {
        gSignalPipe->Wake();
    }
}

void InstallSignals(zqsim::WakePipe& pipe) {
    gSignalPipe = &pipe;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Reads standard input a line at a time until a signal, "quit" or, with stdin closed, a
// signal alone.
void ServeConsole(zqsim::ConsoleCommands& console, zqsim::WakePipe& signals) {
    bool stdinOpen = true;
    std::string pending;
    for (;;) {
        pollfd fds[2] = {{signals.ReadFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        int n = ::poll(fds, stdinOpen ? 2 : 1, -1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 || fds[0].revents != 0) {
            return;
        }
        char buffer[1024];
        ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            stdinOpen = false;  // keep serving until killed
            continue;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!console.Run(line)) {
                return;
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    zqsim::ZqsimOptions options;
    try {
        options = zqsim::ParseZqsimArguments(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::cerr << "zqsim: " << error.what() << '\n';
        return 2;
    }
    if (options.help) {
        std::cout << zqsim::ZqsimHelpText();
        return 0;
    }
    if (options.version) {
        std::cout << vaddex::VersionNotice("zqsim", VADDEX_VERSION);
        return 0;
    }
    std::ofstream traceFile;
    std::mutex traceMutex;
    std::ostream* traceOut = nullptr;
    if (options.tracePath == "-") {
        traceOut = &std::cerr;
    } else if (!options.tracePath.empty()) {
        traceFile.open(options.tracePath, std::ios::out | std::ios::trunc);
        if (!traceFile) {
            std::cerr << "zqsim: cannot write the trace file " << options.tracePath << '\n';
            return 2;
        }
        traceOut = &traceFile;
    }
    if (traceOut != nullptr) {
        options.server.trace = [traceOut, &traceMutex](const std::string& line) {
            std::lock_guard lock(traceMutex);
            *traceOut << line << std::endl;
        };
    }
    bool usb = options.server.transport == zqsim::TransportKind::Fifo;
    if (usb != (options.server.personality == zqsim::Personality::K8GPlus)) {
        std::cerr << "zqsim: note: the K8G+ is the calculator of the USB device\n";
    }
    try {
        zqsim::WakePipe signals;
        InstallSignals(signals);
        zqsim::SimCalculator calculator(options.server.personality, options.calculator);
        zqsim::SimServer server(calculator, options.server);
        server.SetFaultPlan(options.faults);
        server.Start();
        std::cout << server.PortName() << std::endl;
        std::cerr << "zqsim: " << zqsim::PersonalityName(options.server.personality)
                  << (usb ? " on the USB device " : " on ") << server.PortName()
                  << "; type help for commands\n";
        zqsim::ConsoleCommands console(server, std::cout);
        ServeConsole(console, signals);
        server.Stop();
        gSignalPipe = nullptr;
    } catch (const std::exception& error) {
        std::cerr << "zqsim: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
