#include "app/ItemCommands.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMessageBox>

#include "app/CopyController.h"
#include "app/WindowContext.h"
#include "placement/TWindowPosSave.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"
#include "util/ScopeExit.h"
#include "windows/EditAsText.h"
#include "windows/ExternalEditor.h"
#include "windows/TFEditWatch.h"
#include "windows/TFProperty.h"
#include "windows/TFRplCmd.h"

namespace vaddex::gui {
namespace {

// Every new directory starts under this name; the user renames it afterwards.
constexpr const char* kNewFolderName = "New";

// Everything below a directory, sub-directories and their contents included.
int ItemsBelow(const TXPObject& directory) {
    int count = 0;
    for (const auto& child : directory.Children) {
        count += 1 + (child->IsDirectory() ? ItemsBelow(*child) : 0);
    }
    return count;
}

std::string Counted(int count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

}  // namespace

ItemCommands::ItemCommands(WindowContext& window, CopyController* copy)
    : QObject(&window.Widget()), window_(window), copy_(copy) {
    showOptions = [this](FileOptions& options) {
        return TFOptions(&window_.Widget()).ShowOptions(options);
    };
    showProperties = [this](const std::string& names, std::int64_t bytes, std::int64_t seconds) {
        TFProperty(&window_.Widget()).ShowProperties(names, bytes, seconds);
    };
    askDelete = [this](const std::string& question) {
        QMessageBox box(QMessageBox::Question, "Vaddex", QString::fromLatin1(question),
                        QMessageBox::Yes | QMessageBox::No, &window_.Widget());
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    rplCmd_ = new TFRplCmd(window_.Commands(), &window_.Widget());
    rplPlacement_ = std::make_unique<TWindowPosSave>(rplCmd_, "RplCmd");
    rplCmd_->RestorePlacement = [this] { rplPlacement_->Restore(); };
    rplCmd_->SavePlacement = [this] { rplPlacement_->Save(); };
    rplCmd_->FormCreate();

    window_.SetCommandHandler(Command::NewFolder, [this] { mnuNewFolderClick(); });
    window_.SetCommandHandler(Command::Delete, [this] { DeleteSelected(); });
    if (copy_ != nullptr && copy_->CanCopy()) {
        window_.SetCommandHandler(Command::Cut, [this] { mnuCutClick(); });
    }
    window_.SetCommandHandler(Command::Properties, [this] { mnuPropertyClick(); });
    window_.SetCommandHandler(Command::Eval, [this] { mnuEvalClick(); });
    window_.SetCommandHandler(Command::EditAsText, [this] { mnuEditTextClick(); });
    window_.SetCommandHandler(Command::Options, [this] { mnuOptionsClick(); });
    window_.SetCommandHandler(Command::CalculatorCommand, [this] { mnuRPLClick(); });
    connect(window_.ViewMenu(), &QMenu::aboutToShow, this, [this] {
        window_.CommandAction(Command::CalculatorCommand)->setChecked(rplCmd_->isVisible());
    });
    window_.AddControlsUpdatedStep([this] { UpdateCommandWindow(); });
    // The command window is closed once more at exit, so that its stored visibility is the
    // one the program ends with.
    window_.AddClosingStep([this] { rplCmd_->FormClose(); });
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
    window_.StartRefresh();
}

// --- directories and deleting -----------------------------------------------------------------

void ItemCommands::mnuNewFolderClick() {
    SessionCommands& commands = window_.Commands();
    if (window_.ActivePane() == Pane::List) {
        if (!window_.ListEnabled()) {
            return;
        }
        Changing([&] {
            if (!window_.ShowOutcome(commands.ChangeToCurrentDir())) {
                return;
            }
            if (Outcome made = commands.MakeDirectory(kNewFolderName); window_.ShowOutcome(made)) {
                if (made) {
                    window_.SetSelectedName(kNewFolderName);
                }
            }
        });
    } else if (window_.ActivePane() == Pane::Tree) {
        std::vector<ItemRef> node = window_.Selection(Pane::Tree);
        if (!window_.TreeEnabled() || node.empty()) {
            return;
        }
        // Beside the selected directory; inside HOME when HOME itself is selected.
        commands.CurrentPath =
            node.front().IsRoot() ? node.front().path : node.front().DirectoryPath();
        Changing([&] {
            if (!window_.ShowOutcome(commands.ChangeToCurrentDir())) {
                return;
            }
            if (Outcome made = commands.MakeDirectory(kNewFolderName); window_.ShowOutcome(made)) {
                if (made) {
                    commands.CurrentPath += std::string(" ") + kNewFolderName;
                }
            }
        });
    }
}

std::string ItemCommands::DeleteQuestion(const std::vector<ItemRef>& items) {
    std::vector<std::string> filled;
    int held = 0;
    for (const ItemRef& item : items) {
        const TXPObject* listed = item.isDirectory ? item.In(window_.Commands().Root()) : nullptr;
        if (int below = listed != nullptr ? ItemsBelow(*listed) : 0; below > 0) {
            filled.push_back(item.name);
            held += below;
        }
    }
    // A directory with items always asks: one key must not silently erase a tree.
    if (filled.size() == 1) {
        return "Delete the directory " + filled.front() + " and the " + Counted(held, "item") +
               " it holds?";
    }
    if (filled.size() > 1) {
        std::string names;
        for (std::size_t i = 0; i < filled.size(); ++i) {
            names += (i == 0 ? "" : i + 1 == filled.size() ? " and " : ", ") + filled[i];
        }
        return "Delete the directories " + names + " and the " + Counted(held, "item") +
               " they hold?";
    }
    if (!window_.ConfirmDelete() || items.empty()) {
        return {};
    }
    return items.size() == 1
               ? "Delete " + items.front().name + "?"
               : "Delete the " + Counted(static_cast<int>(items.size()), "item") + " selected?";
}

bool ItemCommands::MayDelete(const std::vector<ItemRef>& items) {
    std::string question = DeleteQuestion(items);
    return question.empty() || askDelete(question);
}

void ItemCommands::DeleteSelected() {
    SessionCommands& commands = window_.Commands();
    if (window_.ActivePane() == Pane::List) {
        if (!window_.ListEnabled()) {
            return;
        }
        std::vector<ItemRef> rows = window_.Selection(Pane::List);
        if (rows.empty() || !MayDelete(rows)) {
            return;
        }
        // The row after the deleted ones takes their place; at the end, the one before them.
        window_.SetSelectedName(window_.RowBesideSelection());
        Changing([&] {
            if (!window_.ShowOutcome(commands.ChangeToCurrentDir())) {
                return;
            }
            for (const ItemRef& row : rows) {
                if (!window_.ShowOutcome(commands.DeleteItem(row.name, row.isDirectory))) {
                    return;
                }
            }
        });
    } else if (window_.ActivePane() == Pane::Tree) {
        std::vector<ItemRef> node = window_.Selection(Pane::Tree);
        if (!window_.TreeEnabled() || node.empty() || node.front().IsRoot() || !MayDelete(node)) {
            return;
        }
        const ItemRef& directory = node.front();
        Changing([&] {
            // The list shows the parent, whose directory the calculator changes into.
            window_.SelectDirectory(directory.DirectoryPath());
            commands.CurrentPath = directory.DirectoryPath();
            window_.ShowOutcome(commands.DeleteItem(directory.name, true));
        });
    }
}

void ItemCommands::mnuCutClick() {
    if (copy_ != nullptr && copy_->Copy(true)) {
        DeleteSelected();
    }
}

// --- properties and EVAL --------------------------------------------------------------------

void ItemCommands::mnuPropertyClick() {
    Pane pane = window_.ActivePane();
    std::vector<ItemRef> items = window_.Selection(pane);
    if (items.empty()) {
        return;
    }
    std::string names;
    std::int64_t total = 0;
    for (const ItemRef& item : items) {
        names += item.name + "\n";
        total += item.size;
    }
    bool wholeCalculator = pane == Pane::Tree && items.front().IsRoot();
    if (wholeCalculator) {
        // The root's caption names the model.
        names = window_.RootCaption().toLatin1().toStdString() + "\n";
    }
    std::int64_t speed = std::atoll(window_.Commands().LinkSpeed().c_str());
    showProperties(names, total, TFProperty::TransferSeconds(total, speed, wholeCalculator));
}

void ItemCommands::mnuEvalClick() {
    std::vector<ItemRef> rows = window_.Selection(Pane::List);
    if (!window_.Connected() || window_.Busy() || window_.ActivePane() != Pane::List ||
        rows.empty()) {
        return;
    }
    const ItemRef& item = rows.front();
    if (item.isDirectory) {
        window_.OpenItem(item);
        return;
    }
    window_.SetBusy(true);
    ScopeExit notBusy([this] { window_.SetBusy(false); });
    window_.Guarded([&] {
        Outcome evaluated = window_.Commands().EvaluateItem(item.name);
        if (!window_.ShowOutcome(evaluated) || !evaluated) {
            return;  // the user declined an improper name
        }
        if (rplCmd_->AutoUpdate()) {
            rplCmd_->UpdateStack();
        }
        window_.StartRefresh();
    });
}

// --- editing as text ----------------------------------------------------------------------------

void ItemCommands::mnuEditTextClick() {
    std::vector<ItemRef> items = window_.Selection(window_.ActivePane());
    if (copy_ == nullptr || items.empty() || !copy_->CopyAsText()) {
        return;  // the failed get has been shown
    }
    // Back where it came from: for a tree node that is the directory holding it.
    std::string directory =
        items.front().IsRoot() ? items.front().path : items.front().DirectoryPath();
    std::string file = copy_->LastCopiedFile();
    ExternalEditor editor =
        ExternalEditor::Resolve(QFile::decodeName(QByteArray::fromStdString(window_.Editor())));
    EditAsText::Outcome outcome = EditAsText::Outcome::Unchanged;
    window_.Guarded(
        [&] { outcome = EditAsText::Run(window_.Commands(), file, directory, editor); });
    if (outcome == EditAsText::Outcome::Written) {
        window_.StartRefresh();
    } else if (outcome == EditAsText::Outcome::ReturnedAtOnce) {
        WatchEdits(file, items.front().name, directory);
    }
}

void ItemCommands::WatchEdits(const std::string& file, const std::string& name,
                              const std::string& directory) {
    auto send = [this, directory](const std::string& changed) {
        bool sent = false;
        window_.Guarded(
            [&] { sent = EditAsText::SendBack(window_.Commands(), changed, directory); });
        window_.StartRefresh();
        return sent;
    };
    auto canSend = [this] {
        WindowState s = window_.CurrentWindowState();
        return s.connected && !s.busy && !s.Blocked();
    };
    auto* watch = new TFEditWatch(file, name, send, canSend, &window_.Widget());
    watch->show();
    watch->raise();
}

// --- options and the command window -------------------------------------------------------------

FileOptions ItemCommands::CurrentOptions() const {
    const CalculatorState& state = window_.State();
    FileOptions options;
    options.transfer = state.transfer;
    options.editor = window_.Editor();
    options.addExtension = window_.Commands().AddExtension;
    options.confirmDelete = window_.ConfirmDelete();
    return options;
}

void ItemCommands::ApplyOptions(const FileOptions& options) {
    CalculatorState& state = window_.State();
    state.transfer = options.transfer;
    window_.SetEditor(options.editor);
    window_.Commands().AddExtension = options.addExtension;
    window_.SetConfirmDelete(options.confirmDelete);
}

void ItemCommands::mnuOptionsClick() {
    FileOptions options = CurrentOptions();
    if (showOptions(options)) {
        ApplyOptions(options);
    }
}

void ItemCommands::mnuRPLClick() {
    if (window_.CommandAction(Command::CalculatorCommand)->isChecked()) {
        rplCmd_->show();
        rplCmd_->setWindowState(rplCmd_->windowState() & ~Qt::WindowMinimized);
        rplCmd_->raise();
        rplCmd_->activateWindow();
    } else {
        rplCmd_->FormClose();
    }
}

}  // namespace vaddex::gui
