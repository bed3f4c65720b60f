#pragma once

namespace vaddex {

// Sets input and output bit rate of a terminal to a rate that has no Bxxx constant (such as
// 14400). Returns false when the driver refuses it. Lives apart from the termios code because
// the kernel's own terminal structure cannot share a file with <termios.h>.
bool SetCustomSpeed(int fd, int speed);

}  // namespace vaddex
