#pragma once

#include "sim/server/UniqueFd.h"

namespace zqsim {

// A self-pipe that lets another thread end a poll() of the server thread early.
class WakePipe {
public:
    // Throws std::system_error when the pipe cannot be made.
    WakePipe();

    // Any thread: makes the read end readable until Drain.
    void Wake();
    // Server thread: empties the pipe so that the next poll blocks again.
    void Drain();
    int ReadFd() const { return readEnd_.Get(); }

private:
    UniqueFd readEnd_;
    UniqueFd writeEnd_;
};

}  // namespace zqsim
