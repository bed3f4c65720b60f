#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "PcPeer.h"
#include "sim/server/UniqueFd.h"
#include "support/TempDir.h"

namespace zqsim::test {
namespace {

// zqsim as a child process with its standard input and output on pipes.
class ZqsimProcess {
public:
    explicit ZqsimProcess(const std::vector<std::string>& arguments,
                          const std::string& usbRoot = "") {
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) {
            throw std::runtime_error("pipe");
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            ::close(in[1]);
            ::close(out[0]);
            if (!usbRoot.empty()) {
                ::setenv("VADDEX_USB_ROOT", usbRoot.c_str(), 1);
            }
            std::vector<char*> argv{const_cast<char*>(ZQSIM_PATH)};
            for (const std::string& a : arguments) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(ZQSIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_.Reset(in[1]);
        stdout_.Reset(out[0]);
    }
    ~ZqsimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Blocks for the next line of output, at most timeoutMs.
    std::string ReadLine(int timeoutMs = 5000) {
        for (;;) {
            std::size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            pollfd p{stdout_.Get(), POLLIN, 0};
            char chunk[4096];
            ssize_t n = 0;
            if (::poll(&p, 1, timeoutMs) <= 0 ||
                (n = ::read(stdout_.Get(), chunk, sizeof chunk)) <= 0) {
                std::string rest = buffered_;
                buffered_.clear();
                return rest;
            }
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }
    void Command(const std::string& line) {
        std::string text = line + "\n";
        ASSERT_EQ(::write(stdin_.Get(), text.data(), text.size()),
                  static_cast<ssize_t>(text.size()));
    }
    // Sends the signal and returns the exit status.
    int EndWith(int signalNumber) {
        ::kill(pid_, signalNumber);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    UniqueFd stdin_;
    UniqueFd stdout_;
    std::string buffered_;
};

TEST(ZqsimTest, HelpListsEveryOption) {
    ZqsimProcess zqsim({"--help"});
    std::string help;
    for (int i = 0; i < 200 && help.find("--help") == std::string::npos; ++i) {
        help += zqsim.ReadLine() + "\n";
    }
    for (const char* option : {"--usb", "--device", "--model", "--block", "--check", "--busy",
                               "--time-scale", "--pace", "--seed", "--fault", "--trace"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(ZqsimTest, PrintsItsPtyAndAnswersOnIt) {
    ZqsimProcess zqsim({"--busy", "0"});
    std::string port = zqsim.ReadLine();
    ASSERT_EQ(port.rfind("/dev/pts/", 0), 0u) << port;
    PcPeer pc = PcPeer::OpenPty(port);
    pc.Write("V");
    std::string length = pc.Read(2);
    ASSERT_EQ(length.size(), 2u);
    EXPECT_EQ(length[0], '\0');
    std::string version = pc.Read(static_cast<unsigned char>(length[1]) + 1u);
    EXPECT_EQ(version.size(), static_cast<unsigned char>(length[1]) + 1u);
    pc.Write("\x06");
    // A command on standard input switches the calculator to its Kermit server.
    zqsim.Command("kermit");
    EXPECT_EQ(pc.Read(1), "\x01");
    int status = zqsim.EndWith(SIGTERM);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ZqsimTest, UsbDeviceIsRemovedWhenInterrupted) {
    vaddex::test::TempDir root;
    ZqsimProcess zqsim({"--usb"}, root.Path());
    ASSERT_EQ(zqsim.ReadLine(), "ZQx8G+");
    struct stat info {};
    EXPECT_EQ(::stat((root.Path() + "ZQx8G+/PIPE0").c_str(), &info), 0);
    int status = zqsim.EndWith(SIGINT);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(::stat((root.Path() + "ZQx8G+").c_str(), &info), 0);
}

}  // namespace
}  // namespace zqsim::test
