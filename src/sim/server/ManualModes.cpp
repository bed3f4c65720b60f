#include "sim/server/ManualModes.h"

#include <algorithm>

#include "sim/server/XModemReceiver.h"
#include "sim/server/XModemSender.h"

namespace zqsim {
namespace {

// XRECV repeats its request about once a second: the PC clears its input on opening the port.
constexpr int kXRecvRepeatMs = 1000;
constexpr int kRomByteMs = 3000;
constexpr int kKermitPeriodMs = 300;

char ToChar(int value) {
    return static_cast<char>(value + 32);
}

}  // namespace

std::string KermitNakPacket(int seq) {
    std::string body{ToChar(3), ToChar(seq & 63), 'N'};
    int sum = 0;
    for (char c : body) {
        sum += static_cast<std::uint8_t>(c);
    }
    char check = ToChar((sum + ((sum & 192) >> 6)) & 63);
    return '\x01' + body + check + '\r';
}

void ManualModes::Ended(const std::string& outcome) {
    context_.link.Note(outcome);
    context_.stats.Update([&](SimStats& s) {
        ++s.manualModesEnded;
        s.lastOutcome = outcome;
    });
}

void ManualModes::XRecv(const std::string& name) {
    XModemReceiver receiver(context_, context_.options.receiveCheck);
    std::string file;
    std::string why;
    if (!receiver.Receive(kXRecvRepeatMs, -1, file, why)) {
        context_.stats.Update([](SimStats& s) { ++s.transfersFailed; });
        Ended("xrecv failed: " + why);
        return;
    }
    bool stored = StoreReceivedFile(context_, name, file);
    Ended(stored ? "xrecv stored " + name : "xrecv received no object for " + name);
}

void ManualModes::XSend(const std::string& name) {
    auto file = context_.WithModel([&](CalculatorModel& model) { return model.RecallFile(name); });
    if (!file) {
        context_.stats.Update([](SimStats& s) { ++s.transfersRefused; });
        Ended("xsend: no variable " + name);
        return;
    }
    XModemSender sender(context_, static_cast<std::size_t>(context_.options.blockSize));
    std::string why;
    if (!sender.Send(*file, -1, why)) {
        context_.stats.Update([](SimStats& s) { ++s.transfersFailed; });
        Ended("xsend failed: " + why);
        return;
    }
    Ended("xsend sent " + name);
}

void ManualModes::Screen(ScreenVariant variant, std::int64_t delayMs,
                         const std::atomic<bool>& trigger) {
    if (delayMs >= 0) {
        context_.link.Pause(delayMs);
    } else {
        context_.link.WaitForFlag(trigger);
    }
    auto lines = context_.WithModel([](CalculatorModel& model) { return model.DisplayLines(); });
    context_.link.DiscardInput();
    context_.link.Write(ScreenStream(variant, ScreenImage::FromLines(lines)));
    context_.stats.Update([](SimStats& s) { ++s.screensSent; });
    Ended(std::string("screen sent (") + ScreenVariantName(variant) + ")");
}

void ManualModes::Rom() {
    SimLink& link = context_.link;
    RomReceipt receipt;
    context_.stats.Update([&](SimStats& s) { s.rom = receipt; });
    std::string length;
    if (auto first = link.ReadByte(-1)) {
        length = static_cast<char>(*first) + link.ReadBytes(3, kRomByteMs);
    }
    if (length.size() < 4) {
        context_.stats.Update([&](SimStats& s) { s.rom = receipt; });
        Ended("rom: the length did not arrive");
        return;
    }
    for (int i = 3; i >= 0; --i) {
        receipt.announcedSize = (receipt.announcedSize << 8) |
                                static_cast<std::uint8_t>(length[static_cast<std::size_t>(i)]);
    }
    while (receipt.receivedSize < receipt.announcedSize) {
        std::uint32_t want =
            std::min<std::uint32_t>(4096, receipt.announcedSize - receipt.receivedSize);
        std::string chunk = link.ReadBytes(want, kRomByteMs);
        for (char c : chunk) {
            receipt.fnv1a = (receipt.fnv1a ^ static_cast<std::uint8_t>(c)) * 16777619u;
        }
        receipt.receivedSize += static_cast<std::uint32_t>(chunk.size());
        if (chunk.size() < want) {
            break;  // the sender fell silent
        }
    }
    receipt.finished = true;
    receipt.complete = receipt.receivedSize == receipt.announcedSize;
    context_.stats.Update([&](SimStats& s) { s.rom = receipt; });
    Ended("rom: " + std::to_string(receipt.receivedSize) + " of " +
          std::to_string(receipt.announcedSize) + " bytes");
}

void ManualModes::Kermit() {
    for (int seq = 0;; seq = (seq + 1) % 64) {
        context_.link.Write(KermitNakPacket(seq));
        context_.stats.Update([](SimStats& s) { ++s.kermitPackets; });
        context_.link.Pause(kKermitPeriodMs);
        context_.link.DiscardInput();
    }
}

}  // namespace zqsim
