#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "util/Trace.h"

namespace vaddex::test {

// Records every trace text while it lives.
class TraceRecorder {
public:
    TraceRecorder();
    std::vector<std::string> Lines() const;
    // Number of recorded lines that begin with `prefix`.
    int Count(const std::string& prefix) const;
    bool Contains(const std::string& prefix) const { return Count(prefix) > 0; }
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    ScopedTraceSink sink_;
};

}  // namespace vaddex::test
