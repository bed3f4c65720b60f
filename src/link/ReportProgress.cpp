#include "link/ReportProgress.h"

#include "util/Ticks.h"

namespace vaddex {

std::string ProgressText(std::int64_t done, std::int64_t total, std::int64_t startTick,
                         std::int64_t nowTick) {
    std::int64_t elapsed = nowTick - startTick + 1;
    std::int64_t rate = done * 1000 / (elapsed > 0 ? elapsed : 1);
    if (rate < 10240) {
        return std::to_string(done) + "/" + std::to_string(total) + " bytes\r\n(" +
               std::to_string(done * 100 / total) + "%)\r\n" + std::to_string(rate) + " bytes/s";
    }
    // The kilobyte form computes its percentage from done - 1; the two forms stay apart.
    return std::to_string(done / 1024) + "/" + std::to_string(total / 1024) + " Kbytes\r\n(" +
           std::to_string((done - 1) * 100 / total) + "%)\r\n" + std::to_string(rate / 1024) +
           " Kbytes/s";
}

void ReportProgress(std::int64_t done, std::int64_t total, std::int64_t startTick,
                    const ReportFn& report) {
    if (total <= 0 || !report) {
        return;
    }
    report(ProgressText(done, total, startTick, TickMs()), kReportProgress, done, total, 0);
}

}  // namespace vaddex
