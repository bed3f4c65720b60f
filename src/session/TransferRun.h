#pragma once

#include <string>

#include "link/ReportProgress.h"
#include "session/ModalResult.h"
#include "session/Outcome.h"
#include "transfer/TransferThread.h"

namespace vaddex {

class TXModemServer;
class UiBridge;

// The report callback the session hands to every transfer thread: its ForwardProgress.
ReportFn SessionReports(TXModemServer& session);

// Blocks while the progress window runs modally over `thread` (until its final report or the
// user's Cancel), then asks the thread to stop, pauses 100 ms and blocks until it has ended.
// Returns how the window closed.
ModalResult RunTransfer(UiBridge& ui, TransferThread& thread, const std::string& caption);

// How a transfer ended: done when the thread succeeded, cancelled when the window closed on
// the user's Cancel, failed otherwise (the window has shown why).
Outcome TransferOutcome(ModalResult answer, bool success);

}  // namespace vaddex
