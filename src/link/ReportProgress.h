#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vaddex {

// Kinds of the reports a transfer thread sends to the UI thread.
enum ReportKind : int {
    kReportMessage = 0,   // a message, usually an error text
    kReportStatus = 1,    // a status text such as "Copying " + name
    kReportProgress = 2,  // statistics text, position and maximum in bytes
    kReportFinished = 3,  // the thread has finished; always the last report; position 1
                          // when its transfer worked, else 0
};

// Receives one report: (text, kind, position, maximum, spare).
using ReportFn = std::function<void(const std::string& text, int kind, std::int64_t position,
                                    std::int64_t maximum, std::int64_t spare)>;

// The statistics text of a transfer that has moved `done` of `total` bytes since
// `startTick` (TickMs), measured at `nowTick`. Rates are computed in 64 bits.
std::string ProgressText(std::int64_t done, std::int64_t total, std::int64_t startTick,
                         std::int64_t nowTick);

// Sends ProgressText at the current tick as a kind-2 report with position `done` and
// maximum `total`; does nothing when total is 0 or less.
void ReportProgress(std::int64_t done, std::int64_t total, std::int64_t startTick,
                    const ReportFn& report);

}  // namespace vaddex
