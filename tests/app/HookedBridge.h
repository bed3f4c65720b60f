#pragma once

#include <functional>
#include <string>

#include "support/ScriptedUiBridge.h"

namespace vaddex::test {

// The scripted bridge with the state hooks the window takes from the Qt bridge.
class HookedBridge : public ScriptedUiBridge {
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

}  // namespace vaddex::test
