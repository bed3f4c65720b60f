#include "app/ItemCommands.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "app/CopyController.h"
#include "app/TFZQDir.h"
#include "placement/TWindowPosSave.h"
#include "session/ScopeExit.h"
#include "session/SessionCommands.h"
#include "session/TXModemServer.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"
#include "windows/EditAsText.h"
#include "windows/ExternalEditor.h"
#include "windows/TFProperty.h"
#include "windows/TFRplCmd.h"

namespace vaddex::gui {
namespace {

// Every new directory starts under this name; the user renames it afterwards.
constexpr const char* kNewFolderName = "New";

}  // namespace

ItemCommands::ItemCommands(TFZQDir& window, CopyController& copy)
    : QObject(&window), window_(window), copy_(copy) {
    showOptions = [this](FileOptions& options) { return TFOptions(&window_).ShowOptions(options); };
    showProperties = [this](const std::string& names, std::int64_t bytes, std::int64_t seconds) {
        TFProperty(&window_).ShowProperties(names, bytes, seconds);
    };
    rplCmd_ = new TFRplCmd(window_.Commands(), &window_);
    rplPlacement_ = std::make_unique<TWindowPosSave>(rplCmd_, "RplCmd");
    rplCmd_->RestorePlacement = [this] { rplPlacement_->Restore(); };
    rplCmd_->SavePlacement = [this] { rplPlacement_->Save(); };
    rplCmd_->FormCreate();

    window_.SetCommandHandler(Command::NewFolder, [this] { mnuNewFolderClick(); });
    window_.SetCommandHandler(Command::Delete, [this] { DeleteSelected(); });
    window_.SetCommandHandler(Command::Cut, [this] { mnuCutClick(); });
    window_.SetCommandHandler(Command::Properties, [this] { mnuPropertyClick(); });
    window_.SetCommandHandler(Command::Eval, [this] { mnuEvalClick(); });
    window_.SetCommandHandler(Command::EditAsText, [this] { mnuEditTextClick(); });
    window_.SetCommandHandler(Command::Options, [this] { mnuOptionsClick(); });
    window_.SetCommandHandler(Command::CalculatorCommand, [this] { mnuRPLClick(); });
    connect(window_.viewMenu_, &QMenu::aboutToShow, this,
            [this] { window_.Action("mnuRPL")->setChecked(rplCmd_->isVisible()); });
    window_.onControlsUpdated = [this] { UpdateCommandWindow(); };
    // The command window is closed once more at exit, so that its stored visibility is the
    // one the program ends with.
    window_.onClosing = [this, closing = window_.onClosing] {
        if (closing) {
            closing();
        }
        rplCmd_->FormClose();
    };
    UpdateCommandWindow();
}

ItemCommands::~ItemCommands() = default;

void ItemCommands::UpdateCommandWindow() {
    WindowState s = window_.CurrentWindowState();
    rplCmd_->EnableCommands(s.connected, s.busy || s.Blocked());
}

void ItemCommands::Changing(const std::function<void()>& operation) {
    window_.SetBusy(true);
    ScopeExit notBusy([this] { window_.SetBusy(false); });
    window_.Guarded(operation);
    window_.refreshTimer_->start();
}

// --- directories and deleting -----------------------------------------------------------------

void ItemCommands::mnuNewFolderClick() {
    SessionCommands& commands = window_.Commands();
    if (window_.ActivePane() == Pane::List) {
        if (!window_.listStack_->isEnabled()) {
            return;
        }
        Changing([&] {
            commands.ChangeToCurrentDir();
            commands.Session().MakeDir(kNewFolderName);
            window_.selectedName_ = kNewFolderName;
        });
    } else if (window_.ActivePane() == Pane::Tree) {
        QTreeWidgetItem* node = window_.tree_->currentItem();
        if (!window_.tree_->isEnabled() || node == nullptr) {
            return;
        }
        // Beside the selected directory; inside HOME when HOME itself is selected.
        QTreeWidgetItem* parent = node->parent() != nullptr ? node->parent() : node;
        commands.CurrentPath = TFZQDir::NodeItem(parent)->GetPath();
        Changing([&] {
            commands.ChangeToCurrentDir();
            commands.Session().MakeDir(kNewFolderName);
            commands.CurrentPath += std::string(" ") + kNewFolderName;
        });
    }
}

void ItemCommands::DeleteSelected() {
    SessionCommands& commands = window_.Commands();
    if (window_.ActivePane() == Pane::List) {
        if (!window_.listStack_->isEnabled()) {
            return;
        }
        // The rows point at items that a refresh replaces: take the names first.
        std::vector<std::pair<std::string, bool>> names;
        for (int row : window_.SelectedRows()) {
            if (const TXPObject* item = window_.RowItem(row)) {
                names.emplace_back(item->Name, item->IsDirectory());
            }
        }
        Changing([&] {
            commands.ChangeToCurrentDir();
            for (const auto& [name, directory] : names) {
                commands.Session().Purge(name, directory);
            }
        });
    } else if (window_.ActivePane() == Pane::Tree) {
        QTreeWidgetItem* node = window_.tree_->currentItem();
        if (!window_.tree_->isEnabled() || node == nullptr || node->parent() == nullptr) {
            return;
        }
        std::string name = TFZQDir::NodeItem(node)->Name;
        QTreeWidgetItem* parent = node->parent();
        Changing([&] {
            // The list shows the parent, whose directory the calculator changes into.
            window_.tree_->setCurrentItem(parent);
            commands.CurrentPath = TFZQDir::NodeItem(parent)->GetPath();
            commands.Session().Purge(name, true);
        });
    }
}

void ItemCommands::mnuCutClick() {
    if (copy_.Copy()) {
        DeleteSelected();
    }
}

// --- properties and EVAL --------------------------------------------------------------------

void ItemCommands::mnuPropertyClick() {
    std::string names;
    std::int64_t total = 0;
    bool wholeCalculator = false;
    if (window_.ActivePane() == Pane::List) {
        for (int row : window_.SelectedRows()) {
            if (const TXPObject* item = window_.RowItem(row)) {
                names += item->Name + "\n";
                total += item->GetSize();
            }
        }
    } else if (window_.ActivePane() == Pane::Tree) {
        QTreeWidgetItem* node = window_.tree_->currentItem();
        if (const TXPObject* item = TFZQDir::NodeItem(node); item != nullptr) {
            names += window_.tree_->currentItem()->text(0).toLatin1().toStdString() + "\n";
            total += item->GetSize();
            wholeCalculator = node->parent() == nullptr;
        }
    }
    if (names.empty()) {
        return;
    }
    std::int64_t speed = std::atoll(window_.Session().GetSpeed().c_str());
    showProperties(names, total, TFProperty::TransferSeconds(total, speed, wholeCalculator));
}

void ItemCommands::mnuEvalClick() {
    QList<int> rows = window_.SelectedRows();
    if (!window_.Connected() || window_.Busy() || window_.ActivePane() != Pane::List ||
        rows.isEmpty()) {
        return;
    }
    const TXPObject* item = window_.RowItem(rows.front());
    if (item == nullptr) {
        return;
    }
    if (item->IsDirectory()) {
        window_.OpenItem(rows.front());
        return;
    }
    std::string name = item->Name;
    window_.SetBusy(true);
    ScopeExit notBusy([this] { window_.SetBusy(false); });
    window_.Guarded([&] {
        SessionCommands& commands = window_.Commands();
        if (!commands.Session().CheckName(name)) {
            return;  // the user declined an improper name
        }
        commands.ChangeToCurrentDir();
        commands.RunCalculatorCommand(name);
        if (rplCmd_->AutoUpdate()) {
            rplCmd_->UpdateStack();
        }
        window_.refreshTimer_->start();
    });
}

// --- editing as text ----------------------------------------------------------------------------

void ItemCommands::mnuEditTextClick() {
    if (!copy_.CopyAsText()) {
        return;  // the failed get has been shown
    }
    ExternalEditor editor =
        ExternalEditor::Resolve(QFile::decodeName(QByteArray::fromStdString(window_.editor_)));
    EditAsText::Outcome outcome = EditAsText::Outcome::Unchanged;
    window_.Guarded(
        [&] { outcome = EditAsText::Run(window_.Commands(), copy_.LastCopiedFile(), editor); });
    if (outcome == EditAsText::Outcome::Written) {
        window_.refreshTimer_->start();
    }
}

// --- options and the command window -------------------------------------------------------------

FileOptions ItemCommands::CurrentOptions() const {
    const CalculatorState& state = window_.state_;
    FileOptions options;
    options.transIO = state.transIO;
    options.trans031 = state.trans031;
    options.addCR = state.addCR;
    options.editor = window_.editor_;
    options.addExtension = window_.commands_->AddExtension;
    options.receiveCRC = state.receiveCRC;
    return options;
}

void ItemCommands::ApplyOptions(const FileOptions& options) {
    CalculatorState& state = window_.state_;
    state.transIO = options.transIO;
    state.trans031 = options.trans031;
    state.addCR = options.addCR;
    window_.editor_ = options.editor;
    window_.commands_->AddExtension = options.addExtension;
    state.receiveCRC = options.receiveCRC;
}

void ItemCommands::mnuOptionsClick() {
    FileOptions options = CurrentOptions();
    if (showOptions(options)) {
        ApplyOptions(options);
    }
}

void ItemCommands::mnuRPLClick() {
    if (window_.Action("mnuRPL")->isChecked()) {
        rplCmd_->show();
        rplCmd_->setWindowState(rplCmd_->windowState() & ~Qt::WindowMinimized);
        rplCmd_->raise();
        rplCmd_->activateWindow();
    } else {
        rplCmd_->FormClose();
    }
}

}  // namespace vaddex::gui
