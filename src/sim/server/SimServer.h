#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "sim/CalculatorModel.h"
#include "sim/server/FaultInjector.h"
#include "sim/server/ScreenStream.h"
#include "sim/server/SimServerOptions.h"
#include "sim/server/SimStats.h"
#include "sim/server/StatsBoard.h"

namespace zqsim {

class SimLink;
class SimTransport;

// The simulated calculator on the far end of a pty or FIFO pair, served on its own thread.
// Every public call is thread-safe. A mode switch ends whatever the calculator was doing
// (a transfer under way is abandoned, as when the user presses a key on the calculator).
class SimServer {
public:
    // The model must outlive the server and be of the options' personality
    // (std::invalid_argument otherwise).
    SimServer(CalculatorModel& model, SimServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Makes the pty or FIFO pair and starts serving in server mode; also after a pulled cable
    // or Stop, with a new stream. Throws std::runtime_error when the stream cannot be made.
    void Start();
    // Blocks until the server thread has ended; removes the stream. Safe to repeat.
    void Stop();
    // The pty slave path or the USB device name; empty before Start.
    std::string PortName() const;
    const SimServerOptions& Options() const { return options_; }

    void EnterServer();
    void EnterIdle();
    void StartXRecv(const std::string& name);
    void StartXSend(const std::string& name);
    // Sends after the options' screen delay, or on TriggerScreen when it is negative.
    void StartScreen(ScreenVariant variant);
    void TriggerScreen();
    void StartRom();
    void StartKermit();
    // Closes the stream at once, as a pulled cable; the server thread ends.
    void PullCable();

    void SetFaultPlan(const FaultPlan& plan);
    FaultPlan CurrentFaultPlan() const { return faults_.Plan(); }

    // Runs fn on the calculator under the server's lock (blocks while the server uses it).
    void WithCalculator(const std::function<void(CalculatorModel&)>& fn);

    SimStats Stats() const { return stats_.Snapshot(); }
    // Blocks until condition holds on the statistics or timeoutMs passed; true when it holds.
    bool WaitFor(const std::function<bool(const SimStats&)>& condition, std::int64_t timeoutMs) {
        return stats_.WaitFor(condition, timeoutMs);
    }

private:
    struct ModeRequest {
        SimMode mode = SimMode::Server;
        std::string name;
        ScreenVariant screen = ScreenVariant::Esc;
    };

    void Request(const ModeRequest& request);
    void ThreadMain();
    // Runs one mode until it ends or is interrupted; false when the thread must end.
    bool RunMode(const ModeRequest& request);

    CalculatorModel& model_;
    const SimServerOptions options_;
    std::mutex modelMutex_;
    StatsBoard stats_;
    FaultInjector faults_;

    mutable std::mutex controlMutex_;  // guards pending_, current_, portName_, transport_
    std::optional<ModeRequest> pending_;
    ModeRequest current_;
    std::string portName_;
    std::atomic<bool> interrupt_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> screenTrigger_{false};

    std::unique_ptr<SimTransport> transport_;
    std::unique_ptr<SimLink> link_;
    std::thread thread_;
};

}  // namespace zqsim
