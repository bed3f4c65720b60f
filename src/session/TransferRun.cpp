#include "session/TransferRun.h"

#include "link/CommLink.h"
#include "session/TXModemServer.h"
#include "session/UiBridge.h"

namespace vaddex {
namespace {

// Time the thread is given to notice the stop request before it is waited for.
constexpr int kThreadStopPauseMs = 100;

}  // namespace

ReportFn SessionReports(TXModemServer& session) {
    return [&session](const std::string& text, int kind, std::int64_t position,
                      std::int64_t maximum, std::int64_t spare) {
        session.ForwardProgress(text, kind, position, maximum, spare);
    };
}

ModalResult RunTransfer(UiBridge& ui, TransferThread& thread, const std::string& caption) {
    ModalResult answer = ui.RunStatus(caption, true);
    thread.RequestTerminate();
    Pause(kThreadStopPauseMs);
    thread.WaitFor();
    return answer;
}

Outcome TransferOutcome(ModalResult answer, bool success) {
    if (success) {
        return Outcome::Done();
    }
    return answer == ModalResult::Cancel ? Outcome::Cancelled()
                                         : Outcome::Fail(Outcome::Kind::LinkFailed, "");
}

}  // namespace vaddex
