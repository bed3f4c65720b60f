#pragma once

// The main window driven against the simulated calculator through a scripted bridge: the
// harness the window's tests share.

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/BridgeHooks.h"
#include "app/CopyController.h"
#include "app/ItemCommands.h"
#include "app/ItemSortProxy.h"
#include "app/TFZQDir.h"
#include "frontend/StoredSettings.h"
#include "session/SessionCommands.h"
#include "shell/FileListMime.h"
#include "support/SimFixture.h"

namespace vaddex::gui::apptest {

// Keeps what the window reports as errors, for a test to read.
inline void CollectErrors(TFZQDir& window, QStringList& errors) {
    window.errorHandler = [&errors](const std::string& text) {
        errors << QString::fromStdString(text);
    };
}

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
        CollectErrors(window, errors);
        window.saveSettings = [this](const frontend::StoredSettings& s) { saved = s; };
        window.logText = std::move(log);
        window.FormCreate(*bridge, settings);
    }
    ~Harness() { window.FormDestroy(); }

    // Shown and active, so that keys and the focus reach the window as a user's do.
    bool ShowActive(int width, int height = 420) {
        window.resize(width, height);
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    void Connect() { window.ConnectFromCommandLine(QString::fromStdString(fixture->PortName())); }
    QModelIndex Node(const char* path) { return window.FindNodeByPath(path); }
    int Row(const QString& caption) { return window.ListCaptions().indexOf(caption); }
    bool OnCalculator(const std::string& path) { return fixture->FindObject(path).has_value(); }

    std::unique_ptr<vaddex::test::SimFixture> fixture;
    TFZQDir window;
    std::unique_ptr<HookedBridge> bridge;
    QStringList errors;
    frontend::StoredSettings saved;
};

// The harness with the window's copying and item commands installed and shown.
struct CommandsHarness : Harness {
    CommandsHarness()
        : copy(new CopyController(window, DesktopFileFolder(fixture->Files().File("desktop")))),
          items(new ItemCommands(window, copy)) {
        items->showProperties = [this](const std::string& names, std::int64_t, std::int64_t s) {
            shownNames = names;
            seconds = s;
        };
        // Room below the rows; the pane with the focus is the active one only in an active window.
        active = ShowActive(700, 600);
        Connect();
    }
    void SelectRows(const QStringList& captions) {
        window.List()->setFocus();
        window.List()->clearSelection();
        for (const QString& caption : captions) {
            window.List()->selectionModel()->select(
                window.ListIndex(Row(caption)),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    void SelectNode(const char* path) {
        window.Tree()->setFocus();
        window.Tree()->setCurrentIndex(Node(path));
    }
    QPoint BelowRows() const { return QPoint(2, window.List()->viewport()->height() - 2); }
    void Trigger(ActionId action) { window.Action(action)->trigger(); }
    // A file of the test folder made from a calculator item, got in the mode asked for.
    std::string FileOf(const char* item, const std::string& name, bool text) {
        bridge->SetTextMode(text);
        std::string path;
        window.Commands().ChangeToCurrentDir();
        for (const auto& child : window.Commands().Root().Children) {
            if (child->Name == item) {
                window.Commands().FetchItem(*child, fixture->Files().Path(), path);
            }
        }
        bridge->SetTextMode(false);
        std::filesystem::rename(path, fixture->Files().File(name));
        return fixture->Files().File(name);
    }
    // Plays a desktop drag dropped at the point of a pane's viewport.
    void Drop(QAbstractItemView* pane, const std::vector<std::string>& files, QPoint point) {
        QMimeData data;
        data.setData(FileListMime::kUriList, FileListMime::UriList(files));
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane->viewport(), &enter);
        QDropEvent drop(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane->viewport(), &drop);
    }

    bool active = false;
    CopyController* copy;
    ItemCommands* items;
    std::string shownNames;
    std::int64_t seconds = -1;
};

}  // namespace vaddex::gui::apptest
