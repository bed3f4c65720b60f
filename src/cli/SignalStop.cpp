#include "cli/SignalStop.h"

#include <mutex>
#include <utility>

namespace vaddex::cli {
namespace {

std::mutex gMutex;
std::function<void()> gStop;

}  // namespace

SignalStop::SignalStop(std::function<void()> stop) {
    std::lock_guard<std::mutex> lock(gMutex);
    gStop = std::move(stop);
}

SignalStop::~SignalStop() {
    std::lock_guard<std::mutex> lock(gMutex);
    gStop = nullptr;
}

bool SignalStop::Call() {
    std::lock_guard<std::mutex> lock(gMutex);
    if (!gStop) {
        return false;
    }
    gStop();
    return true;
}

}  // namespace vaddex::cli
