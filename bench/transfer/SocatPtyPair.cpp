#include "SocatPtyPair.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

namespace vaddex::bench {
namespace {

constexpr const char* kSocat = "/usr/bin/socat";
constexpr int kStartTimeoutMs = 10000;
constexpr int kEndTimeoutMs = 5000;

}  // namespace

SocatPtyPair::SocatPtyPair(const std::string& folder) {
    std::string firstLink = folder + "pty-a";
    std::string secondLink = folder + "pty-b";
    std::string errorFile = folder + "socat.err";
    // An earlier pair's text must not pass for this one's.
    std::filesystem::remove(errorFile);
    test::ChildOptions options;
    options.program = kSocat;
    // -d -d: socat says when both ends are open and it relays.
    options.argv = {"socat", "-d", "-d", "pty,raw,echo=0,link=" + firstLink,
                    "pty,raw,echo=0,link=" + secondLink};
    options.errorFile = errorFile;
    socat_ = std::make_unique<test::ChildProcess>(options);
    if (!test::WaitForText(errorFile, "starting data transfer loop", kStartTimeoutMs)) {
        throw std::runtime_error("socat did not make its pseudo-terminal pair");
    }
    first_ = std::filesystem::canonical(firstLink).string();
    second_ = std::filesystem::canonical(secondLink).string();
}

SocatPtyPair::~SocatPtyPair() {
    socat_->Signal(SIGTERM);
    socat_->Wait(kEndTimeoutMs);
}

int SocatPtyPair::OpenForPeer(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        throw std::runtime_error("cannot open " + path);
    }
    return fd;
}

}  // namespace vaddex::bench
