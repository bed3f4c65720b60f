#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "transfer/TYModemRX.h"
#include "transfer/TYModemTX.h"
#include "transfer/TransferHarness.h"
#include "util/FileIo.h"

// Transfers against lrzsz, an XModem implementation written independently of ours.

namespace vaddex::test {
namespace {

const std::string kSx = "/usr/bin/sx";
const std::string kRx = "/usr/bin/rx";

class LrzszTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProgramAvailable(kSx) || !ProgramAvailable(kRx)) {
            GTEST_SKIP() << "lrzsz (sx, rx) is not installed";
        }
        link_.OpenPort(pty_.SlavePath(), 115200);
    }

    // lrzsz on the pty's master, in the test's folder; args[0] names the protocol.
    ChildOptions PeerOptions(const std::string& program, const std::vector<std::string>& args,
                             const std::string& errorFile) {
        ChildOptions options;
        options.program = program;
        options.argv = args;
        options.folder = dir_.Path();
        options.input = pty_.MasterForChild();
        options.output = options.input;
        options.errorFile = dir_.File(errorFile);
        return options;
    }

    TempDir dir_;
    TestLinkUi ui_;
    PtyPeer pty_;
    CommLink link_{ui_};
    ReportLog log_;
};

struct SenderRow {
    const char* name;
    std::vector<std::string> args;  // sx's options before the file
    std::size_t size;
};

// Names the row in test listings instead of a byte dump.
void PrintTo(const SenderRow& row, std::ostream* os) {
    *os << row.name;
}

class SxSendsTest : public LrzszTest, public ::testing::WithParamInterface<SenderRow> {};

TEST_P(SxSendsTest, ReceivedBytesEqualTheSentOnes) {
    const SenderRow& row = GetParam();
    std::string content = Pattern(row.size, 30);
    std::string source = dir_.File("source.bin");
    ASSERT_TRUE(WriteWholeFile(source, content));
    std::vector<std::string> args{"sx", "-q"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    args.push_back(source);
    ChildProcess sx(PeerOptions(kSx, args, "sx.err"));
    pty_.Close();
    // A request sent before sx listens would be flushed away.
    ASSERT_TRUE(WaitForText(dir_.File("sx.err"), "receive command now", 10000));

    TYModemRX rx(link_, "", 0, log_.Callback());
    RunLikeSession(ui_, rx, log_, 60000);
    EXPECT_TRUE(rx.Success());
    const std::string& got = rx.ReceivedData();
    ASSERT_GE(got.size(), content.size());
    EXPECT_LT(got.size(), content.size() + 1024);
    EXPECT_EQ(got.substr(0, content.size()), content);
    // sx pads the last block with 0x1A.
    EXPECT_EQ(got.substr(content.size()), std::string(got.size() - content.size(), 0x1A));
    ExpectWellFormed(log_);
    EXPECT_NE(sx.Wait(10000), -1) << "sx did not end";
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, SxSendsTest,
                         ::testing::Values(SenderRow{"SmallBlocks", {}, 5000},
                                           SenderRow{"LargeBlocks", {"-k"}, 20000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LrzszTest, RxReceivesForcedSmallBlocksInChecksumMode) {
    std::string content = Pattern(3000, 31);
    std::string source = dir_.File("source.bin");
    ASSERT_TRUE(WriteWholeFile(source, content));
    // rx refuses absolute paths in its restricted mode: it writes into its own folder.
    ChildProcess rx(PeerOptions(kRx, {"rx", "-q", "received.bin"}, "rx.err"));
    pty_.Close();

    TYModemTX tx(link_, source, true, '\0', log_.Callback());
    RunLikeSession(ui_, tx, log_, 60000);
    ASSERT_NE(rx.Wait(20000), -1) << "rx did not end";
    // rx discards its own last ACK often enough on exit that our verdict on the EOT is not
    // judged here; the bytes it wrote are.
    std::string got;
    ASSERT_TRUE(ReadWholeFile(dir_.File("received.bin"), got));
    ASSERT_GE(got.size(), content.size());
    EXPECT_EQ(got.size(), 3072u);  // 24 blocks of 128
    EXPECT_EQ(got.substr(0, content.size()), content);
    ExpectWellFormed(log_);
}

}  // namespace
}  // namespace vaddex::test
