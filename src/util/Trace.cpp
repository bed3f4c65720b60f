#include "util/Trace.h"

#include <mutex>
#include <utility>

namespace vaddex {
namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

TraceSink& Sink() {
    static TraceSink sink;
    return sink;
}

TraceSink Exchange(TraceSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    return std::exchange(Sink(), std::move(sink));
}

}  // namespace

void Trace(std::string_view text) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (Sink()) {
        try {
            Sink()(text);
        } catch (...) {
            // A trace must never disturb the protocol.
        }
    }
}

void SetTraceSink(TraceSink sink) {
    Exchange(std::move(sink));
}

ScopedTraceSink::ScopedTraceSink(TraceSink sink) : previous_(Exchange(std::move(sink))) {}

ScopedTraceSink::~ScopedTraceSink() {
    Exchange(std::move(previous_));
}

}  // namespace vaddex
