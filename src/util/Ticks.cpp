#include "util/Ticks.h"

#include <chrono>
#include <thread>

namespace vaddex {

std::int64_t TickMs() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return ms > 0 ? ms : 1;
}

void SleepMs(std::int64_t ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

}  // namespace vaddex
