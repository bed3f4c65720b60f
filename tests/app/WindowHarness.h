#pragma once

// The main window driven against the simulated calculator through a scripted bridge: the
// harness the window's tests share.

#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "app/BridgeHooks.h"
#include "app/TFZQDir.h"
#include "frontend/StoredSettings.h"
#include "support/SimFixture.h"

namespace vaddex::gui::apptest {

// The scripted bridge with the state hooks the window takes from the Qt bridge.
class HookedBridge : public vaddex::test::ScriptedUiBridge {
public:
    using ScriptedUiBridge::ScriptedUiBridge;
    std::function<void(bool)> onConnectedChanged, onBusyChanged, onTextModeChanged;
    std::function<void(const std::string&)> onSeriesChanged, onModelChanged;
    std::function<void(bool)> onWorkingChanged;

    void SetConnected(bool connected) override {
        ScriptedUiBridge::SetConnected(connected);
        Call(onConnectedChanged, connected);
    }
    void SetBusy(bool busy) override {
        ScriptedUiBridge::SetBusy(busy);
        Call(onBusyChanged, busy);
    }
    void SetTextMode(bool textMode) override {
        ScriptedUiBridge::SetTextMode(textMode);
        Call(onTextModeChanged, textMode);
    }
    void SetSeries(const std::string& series) override {
        ScriptedUiBridge::SetSeries(series);
        Call(onSeriesChanged, series);
    }
    void SetModel(const std::string& model) override {
        ScriptedUiBridge::SetModel(model);
        Call(onModelChanged, model);
    }

protected:
    void OnWorking(bool shown) override {
        ScriptedUiBridge::OnWorking(shown);
        Call(onWorkingChanged, shown);
    }

private:
    template <typename Hook, typename Value>
    static void Call(const Hook& hook, const Value& value) {
        if (hook) {
            hook(value);
        }
    }
};

// A simulated calculator, the window on a scripted bridge, and what the window reported.
struct Harness {
    explicit Harness(const frontend::StoredSettings& settings = {},
                     std::function<void(const std::string&)> log = {}) {
        vaddex::test::SimFixtureOptions options;
        options.connect = false;
        options.calculator.memoryBytes = 1024 * 1024;
        fixture = std::make_unique<vaddex::test::SimFixture>(options);
        bridge = std::make_unique<HookedBridge>(window.State());
        ConnectHooks(*bridge, window);
        window.errorHandler = [this](const std::string& text) {
            errors << QString::fromStdString(text);
        };
        window.saveSettings = [this](const frontend::StoredSettings& s) { saved = s; };
        window.logText = std::move(log);
        window.FormCreate(*bridge, settings);
    }
    ~Harness() { window.FormDestroy(); }

    void Connect() { window.ConnectFromCommandLine(QString::fromStdString(fixture->PortName())); }
    QTreeWidgetItem* Node(const char* path) { return window.FindNodeByPath(path); }
    int Row(const QString& caption) { return window.ListCaptions().indexOf(caption); }
    bool OnCalculator(const std::string& path) { return fixture->FindObject(path).has_value(); }

    std::unique_ptr<vaddex::test::SimFixture> fixture;
    TFZQDir window;
    std::unique_ptr<HookedBridge> bridge;
    QStringList errors;
    frontend::StoredSettings saved;
};

}  // namespace vaddex::gui::apptest
