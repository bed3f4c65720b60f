#include "sim/server/SimServer.h"

#include <stdexcept>

#include "sim/server/FifoTransport.h"
#include "sim/server/ManualModes.h"
#include "sim/server/PtyTransport.h"
#include "sim/server/SimContext.h"
#include "sim/server/SimLink.h"
#include "sim/server/XModemServerLoop.h"

namespace zqsim {

SimServer::SimServer(CalculatorModel& model, SimServerOptions options)
    : model_(model), options_(std::move(options)) {
    if (model_.GetPersonality() != options_.personality) {
        throw std::invalid_argument("the calculator model is of another personality");
    }
    if (options_.blockSize != 128 && options_.blockSize != 1024) {
        throw std::invalid_argument("the block size must be 128 or 1024");
    }
    faults_.SetPlan(FaultPlan{}, options_.seed);
}

SimServer::~SimServer() {
    Stop();
}

void SimServer::Start() {
    Stop();
    std::unique_ptr<SimTransport> transport;
    if (options_.transport == TransportKind::Fifo) {
        transport = std::make_unique<FifoTransport>(options_.usbRoot, options_.deviceName);
    } else {
        transport = std::make_unique<PtyTransport>(options_.ptyLink);
    }
    link_ = std::make_unique<SimLink>(*transport, faults_, stats_, interrupt_, options_.pacing,
                                      options_.trace);
    {
        std::lock_guard lock(controlMutex_);
        transport_ = std::move(transport);
        portName_ = transport_->PortName();
        pending_.reset();
        current_ = ModeRequest{};
    }
    stop_ = false;
    interrupt_ = false;
    stats_.Update([](SimStats& s) { s.mode = SimMode::Server; });
    thread_ = std::thread([this] { ThreadMain(); });
}

void SimServer::Stop() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(controlMutex_);
            stop_ = true;
            interrupt_ = true;
            transport_->Wake();
        }
        thread_.join();
    }
    link_.reset();
    std::lock_guard lock(controlMutex_);
    transport_.reset();
    stats_.Update([](SimStats& s) {
        if (s.mode != SimMode::Pulled) {
            s.mode = SimMode::Stopped;
        }
    });
}

std::string SimServer::PortName() const {
    std::lock_guard lock(controlMutex_);
    return portName_;
}

void SimServer::Request(const ModeRequest& request) {
    std::lock_guard lock(controlMutex_);
    if (request.mode == SimMode::Screen) {
        screenTrigger_ = false;
    }
    pending_ = request;
    interrupt_ = true;
    if (transport_) {
        transport_->Wake();
    }
}

void SimServer::EnterServer() {
    Request({SimMode::Server, "", ScreenVariant::Esc});
}
void SimServer::EnterIdle() {
    Request({SimMode::Idle, "", ScreenVariant::Esc});
}
void SimServer::StartXRecv(const std::string& name) {
    Request({SimMode::XRecv, name, {}});
}
void SimServer::StartXSend(const std::string& name) {
    Request({SimMode::XSend, name, {}});
}
void SimServer::StartScreen(ScreenVariant variant) {
    Request({SimMode::Screen, "", variant});
}
void SimServer::StartRom() {
    Request({SimMode::Rom, "", ScreenVariant::Esc});
}
void SimServer::StartKermit() {
    Request({SimMode::Kermit, "", ScreenVariant::Esc});
}
void SimServer::PullCable() {
    Request({SimMode::Pulled, "", ScreenVariant::Esc});
}

void SimServer::TriggerScreen() {
    std::lock_guard lock(controlMutex_);
    screenTrigger_ = true;
    if (transport_) {
        transport_->Wake();
    }
}

void SimServer::SetFaultPlan(const FaultPlan& plan) {
    faults_.SetPlan(plan, options_.seed);
}

void SimServer::WithCalculator(const std::function<void(CalculatorModel&)>& fn) {
    std::lock_guard lock(modelMutex_);
    fn(model_);
}

void SimServer::ThreadMain() {
    while (!stop_) {
        ModeRequest request;
        {
            std::lock_guard lock(controlMutex_);
            if (pending_) {
                current_ = *pending_;
                pending_.reset();
            }
            interrupt_ = false;
            request = current_;
        }
        try {
            if (!RunMode(request)) {
                return;
            }
        } catch (...) {
            // Nothing may leave the thread; the mode starts over.
            stats_.Update(
                [](SimStats& s) { s.lastError = "unexpected failure on the server thread"; });
        }
    }
}

bool SimServer::RunMode(const ModeRequest& request) {
    if (request.mode == SimMode::Pulled) {
        transport_->Close();
        stats_.Update([&](SimStats& s) { s.mode = request.mode; });
        return false;
    }
    SimContext context{*link_, stats_, faults_, options_, model_, modelMutex_};
    link_->Note(std::string("mode ") + ModeName(request.mode));
    bool quit = false;
    try {
        if (request.mode != SimMode::Server && request.mode != SimMode::Idle) {
            // What the server session left unread is no part of the manual command. Cleared
            // before the mode shows, so that whoever waits for the mode may send at once.
            link_->DiscardInput();
        }
        stats_.Update([&](SimStats& s) { s.mode = request.mode; });
        ManualModes manual(context);
        switch (request.mode) {
            case SimMode::Server:
                XModemServerLoop(context).Run();
                quit = true;
                break;
            case SimMode::XRecv:
                manual.XRecv(request.name);
                break;
            case SimMode::XSend:
                manual.XSend(request.name);
                break;
            case SimMode::Screen:
                manual.Screen(request.screen, options_.screenDelayMs, screenTrigger_);
                break;
            case SimMode::Rom:
                manual.Rom();
                break;
            case SimMode::Kermit:
                manual.Kermit();
            case SimMode::Idle:
            case SimMode::Pulled:
            case SimMode::Stopped:
                for (;;) {
                    link_->DiscardInput();
                    link_->ReadByte(-1);
                }
        }
    } catch (const Interrupted&) {
        return true;
    } catch (const LinkClosed&) {
        link_->Note("the stream closed");
        transport_->Close();
        stats_.Update([](SimStats& s) { s.mode = SimMode::Pulled; });
        return false;
    } catch (const std::exception& error) {
        link_->Note(std::string("error: ") + error.what());
        stats_.Update([&](SimStats& s) { s.lastError = error.what(); });
    }
    // A manual command hands the calculator back to the server; "Q" leaves it at the stack.
    std::lock_guard lock(controlMutex_);
    if (!pending_ && (request.mode != SimMode::Server || quit)) {
        current_ = ModeRequest{};
        current_.mode = quit ? SimMode::Idle : SimMode::Server;
    }
    return true;
}

}  // namespace zqsim
