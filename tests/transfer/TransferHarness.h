#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "link/CommLink.h"
#include "support/PtyPeer.h"
#include "support/TempDir.h"
#include "support/TestLinkUi.h"
#include "support/TraceRecorder.h"
#include "transfer/TransferThread.h"

namespace vaddex::test {

struct ReportRecord {
    std::string text;
    int kind;
    std::int64_t position;
    std::int64_t maximum;
    std::int64_t spare;
};

// Collects the reports of one transfer thread. Its callback runs on the UI thread, which is
// also the only thread that reads the log, so it needs no lock.
class ReportLog {
public:
    ReportFn Callback();
    const std::vector<ReportRecord>& All() const { return reports_; }
    bool Finished() const;
    int Count(int kind) const;
    int CountText(int kind, const std::string& text) const;
    // Kind-2 reports only.
    std::vector<ReportRecord> Progress() const;

private:
    std::vector<ReportRecord> reports_;
};

// Runs a started transfer thread as the session does: the UI thread runs its reports until
// the kind-3 report closes the progress window or `cancelWhen` holds (the user's Cancel),
// then requests termination and waits for the thread. Fails the test when the thread does
// not finish within timeoutMs.
void RunLikeSession(TestLinkUi& ui, TransferThread& thread, const ReportLog& log,
                    std::int64_t timeoutMs, const std::function<bool()>& cancelWhen = {});

// The invariants of every report stream: the kind-3 report comes last and as often as
// expected (once, except after a failed screen capture), progress positions never go back.
void ExpectWellFormed(const ReportLog& log, int finishedReports = 1);

// Bytes 0..255 in a repeatable, irregular order.
std::string Pattern(std::size_t size, unsigned seed);

// A checksum-mode block as the calculator sends it, built without the program's own code.
std::string ChecksumBlock(unsigned number, const std::string& data);
std::string ChecksumBlock(unsigned number, const std::string& data, unsigned char complement);

// A block in the calculator's CRC mode (CRC-16/KERMIT, high byte first), computed bit by bit.
std::string KermitBlock(unsigned number, const std::string& data);
// A block in CRC-16 mode (CRC-16/ARC, low byte first), computed bit by bit.
std::string ArcBlock(unsigned number, const std::string& data);

// A runner for the calculator's side of an exchange, joined when the test ends.
class PeerScript {
public:
    explicit PeerScript(std::function<void()> script) : thread_(std::move(script)) {}
    ~PeerScript() { Join(); }
    PeerScript(const PeerScript&) = delete;
    PeerScript& operator=(const PeerScript&) = delete;
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
};

// A link on the slave of a pseudo-terminal whose master the test plays. The link runs at
// 115200 bit/s, so the profile with the 100 ms FailureDelay is in force.
class PtyLinkTest : public ::testing::Test {
protected:
    void SetUp() override { link_.OpenPort(peer_.SlavePath(), 115200); }

    TraceRecorder traces_;
    TempDir dir_;
    TestLinkUi ui_;
    PtyPeer peer_;
    CommLink link_{ui_};
    ReportLog log_;
};

inline constexpr char kTestSOH = 0x01, kTestSTX = 0x02, kTestEOT = 0x04, kTestACK = 0x06,
                      kTestNAK = 0x15, kTestCAN = 0x18;
// The one-byte replies as the peer reads and writes them.
inline const std::string kNak(1, kTestNAK);
inline const std::string kAck(1, kTestACK);
inline const std::string kEot(1, kTestEOT);

}  // namespace vaddex::test
