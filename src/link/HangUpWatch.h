#pragma once

#include <functional>
#include <thread>

namespace vaddex {

// Waits, on a thread of its own, for a port's descriptor to hang up (a USB adapter pulled,
// the far end of a pseudo-terminal closed) and then calls onHangUp once, on that thread,
// with the system error to report. It reads nothing, so it may watch a port that is in use;
// asleep in poll(2) it costs nothing while the program rests.
class HangUpWatch {
public:
    // Throws std::runtime_error when no thread or wake pipe can be had.
    HangUpWatch(int fd, std::function<void(int error)> onHangUp);
    // Ends the watch and waits for its thread; onHangUp has returned or will not be called.
    ~HangUpWatch();
    HangUpWatch(const HangUpWatch&) = delete;
    HangUpWatch& operator=(const HangUpWatch&) = delete;

private:
    void Run(int fd);

    std::function<void(int error)> onHangUp_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;
};

}  // namespace vaddex
