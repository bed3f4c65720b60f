#include "support/PtyPeer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "support/PeerIo.h"

namespace vaddex::test {

PtyPeer::PtyPeer() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        Close();
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        Close();
        throw std::runtime_error("no pseudo-terminal name");
    }
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || ::tcgetattr(master_, &settings) != 0) {
        Close();
        throw std::runtime_error("cannot open the pseudo-terminal slave");
    }
    ::cfmakeraw(&settings);
    ::tcsetattr(master_, TCSANOW, &settings);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PtyPeer::~PtyPeer() {
    Close();
}

bool PtyPeer::Write(std::string_view bytes, int timeoutMs) {
    return PeerWrite(master_, bytes, timeoutMs);
}

std::string PtyPeer::Read(std::size_t count, int timeoutMs) {
    return PeerRead(master_, count, timeoutMs);
}

int PtyPeer::MasterForChild() {
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) & ~O_NONBLOCK);
    return master_;
}

void PtyPeer::Close() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

}  // namespace vaddex::test
