#include "sim/server/XModemServerLoop.h"

#include "sim/server/CommandPackets.h"
#include "sim/server/XModemReceiver.h"
#include "sim/server/XModemSender.h"

namespace zqsim {
namespace {

// The PC starts its receiver a few hundred ms after the name packet, and repeats its NAK
// every 2.5 s up to six times.
constexpr int kSendHandshakeMs = 20000;
// Our request goes once at once; a repeat sooner than the PC's 2.5 s read would pile up.
constexpr int kPutRepeatMs = 3000;
constexpr int kPutGiveUpMs = 20000;

}  // namespace

void XModemServerLoop::Run() {
    quit_ = false;
    while (!quit_) {
        auto letter = context_.link.ReadByte(-1);
        if (letter) {
            Serve(*letter);
        }
    }
}

void XModemServerLoop::Serve(std::uint8_t letter) {
    switch (letter) {
        case 'E':
        case 'G':
        case 'P':
        case 'V':
        case 'M':
        case 'l':
        case 'Q':
            context_.link.Note(std::string("command ") + static_cast<char>(letter));
            context_.stats.Update([&](SimStats& s) { ++s.letters[letter]; });
            break;
        default:
            context_.stats.Update([](SimStats& s) { ++s.strayBytes; });
            return;
    }
    switch (letter) {
        case 'E':
            Execute();
            break;
        case 'G':
            Get();
            break;
        case 'P':
            Put();
            break;
        case 'V':
            Answer(context_.WithModel([](CalculatorModel& m) { return m.ServerVersion(); }));
            break;
        case 'M':
            Answer(context_.WithModel([](CalculatorModel& m) { return m.FreeMemoryText(); }));
            break;
        case 'l':
            Answer(context_.WithModel([](CalculatorModel& m) { return m.Listing(); }));
            break;
        case 'Q':
            quit_ = context_.options.quitLeavesServer;
            break;
    }
}

void XModemServerLoop::Answer(const std::string& data) {
    if (!CommandPackets(context_).Send(data)) {
        Failed("answer packet not acknowledged");
    }
}

void XModemServerLoop::Failed(const std::string& why) {
    context_.link.Note(why);
    context_.stats.Update([&](SimStats& s) {
        ++s.transfersFailed;
        s.lastOutcome = why;
    });
}

void XModemServerLoop::BeBusy(std::int64_t calculatorMs, bool keepInput) {
    std::int64_t ms = context_.Scaled(calculatorMs);
    context_.link.Note("busy " + std::to_string(ms) + " ms");
    context_.stats.Update([](SimStats& s) { s.busy = true; });
    try {
        context_.link.Pause(ms);
    } catch (...) {
        context_.stats.Update([](SimStats& s) { s.busy = false; });
        throw;
    }
    // The polls that came meanwhile are gone, as in the real server; answering each of them
    // would flood the PC with answers it no longer reads.
    if (!keepInput) {
        context_.link.DiscardInput();
    }
    context_.stats.Update([](SimStats& s) {
        s.busy = false;
        ++s.busyPeriods;
    });
}

void XModemServerLoop::Execute() {
    auto line = CommandPackets(context_).Receive();
    if (!line) {
        return;
    }
    ExecResult result = context_.WithModel([&](CalculatorModel& m) { return m.Execute(*line); });
    context_.stats.Update([&](SimStats& s) {
        ++s.commandsExecuted;
        s.lastCommandLine = *line;
    });
    // A transmitting program answers the PC's request, which may come while it still works.
    BeBusy(context_.options.busyMs + result.busyMs, result.transmit.has_value());
    if (result.transmit) {
        XModemSender sender(context_, static_cast<std::size_t>(context_.options.blockSize));
        std::string why;
        if (!sender.Send(*result.transmit, kSendHandshakeMs, why)) {
            Failed("transmit failed: " + why);
        } else {
            context_.stats.Update([](SimStats& s) { s.lastOutcome = "transmitted"; });
        }
        context_.link.DiscardInput();
    }
}

void XModemServerLoop::Get() {
    auto name = CommandPackets(context_).Receive();
    if (!name) {
        return;
    }
    auto file = context_.WithModel([&](CalculatorModel& m) { return m.RecallFile(*name); });
    XModemSender sender(context_, static_cast<std::size_t>(context_.options.blockSize));
    if (!file) {
        context_.link.Note("no variable " + *name);
        sender.Refuse(kSendHandshakeMs);
        context_.stats.Update([&](SimStats& s) {
            ++s.transfersRefused;
            s.lastOutcome = "refused " + *name;
        });
        return;
    }
    std::string why;
    if (sender.Send(*file, kSendHandshakeMs, why)) {
        context_.stats.Update([&](SimStats& s) { s.lastOutcome = "sent " + *name; });
    } else {
        Failed("get failed: " + why);
    }
}

void XModemServerLoop::Put() {
    auto name = CommandPackets(context_).Receive();
    if (!name) {
        return;
    }
    XModemReceiver receiver(context_, context_.options.receiveCheck);
    std::string file;
    std::string why;
    if (receiver.Receive(kPutRepeatMs, kPutGiveUpMs, file, why)) {
        StoreReceivedFile(context_, *name, file);
    } else {
        Failed("put failed: " + why);
    }
    BeBusy(context_.options.busyMs, false);
}

}  // namespace zqsim
