#include "support/TraceRecorder.h"

namespace vaddex::test {

TraceRecorder::TraceRecorder()
    : sink_([this](std::string_view text) {
          std::lock_guard<std::mutex> lock(mutex_);
          lines_.emplace_back(text);
      }) {}

std::vector<std::string> TraceRecorder::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

int TraceRecorder::Count(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    int n = 0;
    for (const auto& line : lines_) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            ++n;
        }
    }
    return n;
}

void TraceRecorder::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

}  // namespace vaddex::test
