#include "transfer/TransferThread.h"

#include <cstdio>
#include <exception>
#include <utility>

#include "util/Ticks.h"
#include "util/Trace.h"

namespace vaddex {
namespace {

// WaitFor sleeps this long on the finished event between two rounds of UI events.
constexpr std::int64_t kWaitSliceMs = 10;

// Statistics reports go out at least at each of this many equal steps of a transfer.
constexpr std::int64_t kProgressSteps = 10;

// Runs a step at the end of the thread, where no exception may escape: a failure is traced.
template <typename Step>
void RunGuarded(const char* what, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        Trace(std::string(what) + " failed: " + e.what());
    } catch (...) {
        Trace(std::string(what) + " failed");
    }
}

}  // namespace

std::string HexByte(char byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned char>(byte));
    return text;
}

TransferThread::TransferThread(CommLink& link, ReportFn callback)
    : link_(link), callback_(std::move(callback)) {}

TransferThread::~TransferThread() {
    Stop();
}

void TransferThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void TransferThread::Stop() {
    RequestTerminate();
    if (!thread_.joinable()) {
        return;
    }
    if (link_.Ui().IsUiThread()) {
        WaitFor();
    }
    thread_.join();
}

void TransferThread::WaitFor() {
    LinkUi& ui = link_.Ui();
    bool onUiThread = ui.IsUiThread();
    for (;;) {
        // A report posted after the progress window closed is run here, not left to block
        // the thread for ever.
        if (onUiThread) {
            ui.ProcessEvents();
        }
        if (finished_) {
            return;
        }
        finishedEvent_.Wait(kWaitSliceMs);
    }
}

void TransferThread::Run() {
    // The user's Cancel ends the thread's reads at once instead of after their time-out.
    CommLink::SetThreadCancelFlag(&terminate_);
    try {
        Execute();
    } catch (const std::exception& e) {
        Trace(std::string("Transfer thread ended by ") + e.what());
    } catch (...) {
        Trace("Transfer thread ended by an unknown error");
    }
    // The held statistics go first and on their own: their failure must not cost the final
    // report, which closes the progress window.
    RunGuarded("Last statistics report", [this] { SendHeldProgress(); });
    RunGuarded("Final report", [this] { Report("", kReportFinished, success_ ? 1 : 0, 0, 0); });
    CommLink::SetThreadCancelFlag(nullptr);
    finished_ = true;
    finishedEvent_.Set();
}

void TransferThread::Report(const std::string& text, int kind, std::int64_t position,
                            std::int64_t maximum, std::int64_t spare) {
    // The figures the window shows last must be the latest, also before a failure or the end.
    SendHeldProgress();
    Deliver(text, kind, position, maximum, spare);
}

void TransferThread::Progress(std::int64_t done, std::int64_t total, std::int64_t startTick) {
    if (total <= 0 || !callback_) {
        return;
    }
    std::int64_t now = TickMs();
    heldProgress_ = HeldProgress{done, total, startTick, now};
    // However fast the line, the bar passes through each tenth of the transfer instead of
    // leaping from the start to the end: at most ten reports beyond the timed ones.
    if (lastProgressTick_ == 0 || done * kProgressSteps / total != lastProgressStep_ ||
        now - lastProgressTick_ >= kProgressIntervalMs) {
        SendHeldProgress();
    }
}

void TransferThread::SendHeldProgress() {
    if (!heldProgress_) {
        return;
    }
    HeldProgress held = *heldProgress_;
    heldProgress_.reset();
    lastProgressTick_ = TickMs();
    lastProgressStep_ = held.done * kProgressSteps / held.total;
    Deliver(ProgressText(held.done, held.total, held.startTick, held.tick), kReportProgress,
            held.done, held.total, 0);
}

void TransferThread::Deliver(const std::string& text, int kind, std::int64_t position,
                             std::int64_t maximum, std::int64_t spare) {
    if (!callback_) {
        return;
    }
    link_.Ui().RunOnUiThread([&] { callback_(text, kind, position, maximum, spare); });
}

char TransferThread::ReadByte() {
    std::string byte(1, '\0');
    link_.ReadComm(byte, kTransferReadWaitMs);
    return byte[0];
}

}  // namespace vaddex
