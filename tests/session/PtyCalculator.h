// The session on a pty whose far end a test plays byte by byte, on its own thread, while the
// test thread (the UI thread) calls the session.

#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>

#include "session/TXModemServer.h"
#include "support/OneByteSum.h"
#include "support/PtyPeer.h"
#include "support/ScriptedUiBridge.h"
#include "util/Ticks.h"

namespace vaddex::test {

inline constexpr char kAck = 0x06;
inline constexpr char kNak = 0x15;
inline constexpr char kCan = 0x18;

inline std::string Packet(const std::string& data) {
    return std::string{static_cast<char>(data.size() >> 8), static_cast<char>(data.size() & 0xFF)} +
           data + OneByteSum(data);
}

// Reads what the link sends, discarding the polls, until `wanted` comes; false when it does
// not within timeoutMs.
inline bool AwaitByte(PtyPeer& peer, char wanted, int timeoutMs) {
    std::int64_t end = TickMs() + timeoutMs;
    while (TickMs() < end) {
        std::string byte = peer.Read(1, 100);
        if (!byte.empty() && byte[0] == wanted) {
            return true;
        }
    }
    return false;
}

class PtyCalculatorTest : public ::testing::Test {
protected:
    PtyCalculatorTest() : ui(state), link(ui), session(link, ui) {
        link.OpenPort(peer.SlavePath(), 9600);
        session.PortName = peer.SlavePath();
        session.Speed = "9600";
    }
    ~PtyCalculatorTest() override {
        if (calculator.joinable()) {
            calculator.join();
        }
    }

    template <typename Fn>
    void PlayCalculator(Fn fn) {
        calculator = std::thread(fn);
    }
    void Join() { calculator.join(); }

    PtyPeer peer;
    CalculatorState state;
    ScriptedUiBridge ui;
    CommLink link;
    TXModemServer session;
    std::thread calculator;
};

}  // namespace vaddex::test
