#pragma once

#include <functional>
#include <string_view>

namespace vaddex {

// The protocol code marks each of its steps with a fixed text. By default the texts are
// discarded; a front end (the command line's --trace) or a test may install a sink.
// Trace never fails and may be called from any thread.
void Trace(std::string_view text);

using TraceSink = std::function<void(std::string_view text)>;

// Installs the sink that receives every later trace text (an empty function discards them).
// The sink is called from whichever thread traces, one call at a time.
void SetTraceSink(TraceSink sink);

// Installs a sink for the lifetime of the object and restores the previous one afterwards.
class ScopedTraceSink {
public:
    explicit ScopedTraceSink(TraceSink sink);
    ~ScopedTraceSink();
    ScopedTraceSink(const ScopedTraceSink&) = delete;
    ScopedTraceSink& operator=(const ScopedTraceSink&) = delete;

private:
    TraceSink previous_;
};

}  // namespace vaddex
