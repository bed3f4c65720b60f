#include "link/TermiosSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would pull in the C library's terminal types beside the kernel's.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace vaddex {

bool SetCustomSpeed(int fd, int speed) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) {
        return false;
    }
    settings.c_cflag &= ~CBAUD;
    settings.c_cflag |= BOTHER;
    settings.c_cflag &= ~(CBAUD << IBSHIFT);
    settings.c_cflag |= BOTHER << IBSHIFT;
    settings.c_ispeed = static_cast<speed_t>(speed);
    settings.c_ospeed = static_cast<speed_t>(speed);
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace vaddex
