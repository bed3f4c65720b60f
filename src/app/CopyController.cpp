#include "app/CopyController.h"

#include <QListView>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeView>
#include <exception>
#include <memory>
#include <stdexcept>
#include <utility>

#include "app/WindowContext.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "session/UiBridge.h"
#include "shell/DesktopItemFetcher.h"
#include "shell/FileListMime.h"
#include "shell/TFileSource.h"
#include "shell/TFileTarget.h"
#include "util/ScopeExit.h"

namespace vaddex::gui {
namespace {

// How far the pointer must move from the press before a drag starts: the list reacts to the
// smallest move, the tree waits a little so that a click on a node never drags it.
constexpr int kListDragDistance = 1;
constexpr int kTreeDragDistance = 5;

bool MovedBeyond(QPoint from, QPoint to, int distance) {
    return std::abs(to.x() - from.x()) > distance || std::abs(to.y() - from.y()) > distance;
}

}  // namespace

CopyController::CopyController(WindowContext& window, std::optional<DesktopFileFolder> folder)
    : QObject(&window.Widget()), window_(window), folder_(std::move(folder)) {
    // Batches older than a day are left from earlier runs; a clipboard may still offer some.
    if (folder_) {
        folder_->RemoveOlderThan(DesktopFileFolder::kKeepFor, FileListMime::ClipboardFiles());
    }
    listSource_ = new TFileSource(this);
    treeSource_ = new TFileSource(this);
    listTarget_ = new TFileTarget(this);
    iconsTarget_ = new TFileTarget(this);
    treeTarget_ = new TFileTarget(this);
    for (TFileTarget* target : {listTarget_, iconsTarget_}) {
        target->OnDrop = [this, target](Qt::KeyboardModifiers, QPoint point, std::uint32_t&) {
            FileTargetListDrop(target->DroppedFiles, point);
        };
    }
    treeTarget_->OnDragOver = [this](Qt::KeyboardModifiers, QPoint point, std::uint32_t&) {
        HighlightDropNode(point);
    };
    treeTarget_->OnLeave = [this] { ClearDropHighlight(); };
    treeTarget_->OnDrop = [this](Qt::KeyboardModifiers, QPoint point, std::uint32_t&) {
        FileTargetTreeDrop(treeTarget_->DroppedFiles, point);
    };
    runDrag = [](TFileSource& source, QWidget* from) { source.StartDrag(from); };
    AttachTargets();
    QList<QAbstractItemView*> panes = window_.ListViews();
    panes << window_.TreeView();
    for (QAbstractItemView* view : panes) {
        view->viewport()->installEventFilter(this);
    }
    if (folder_) {
        window_.SetCommandHandler(Command::Copy, [this] { Copy(); });
        window_.SetCommandHandler(Command::CopyAsText, [this] { CopyAsText(); });
    }
    window_.SetCommandHandler(Command::Paste, [this] { Paste(); });
}

CopyController::~CopyController() = default;

void CopyController::AttachTargets() {
    listTarget_->Attach(window_.ListViews().value(0));
    iconsTarget_->Attach(window_.ListViews().value(1));
    treeTarget_->Attach(window_.TreeView());
}

void CopyController::DetachTargets() {
    listTarget_->Detach();
    iconsTarget_->Detach();
    treeTarget_->Detach();
}

bool CopyController::PanesAcceptDrops() const {
    return listTarget_->Attached() != nullptr && treeTarget_->Attached() != nullptr;
}

std::vector<std::string> CopyController::FetchFrom(const std::vector<ItemRef>& items,
                                                   DesktopItemFetcher& fetcher) const {
    SessionCommands& commands = window_.Commands();
    // A directory of the tree is got from the directory that holds it, where the list shows
    // it as a row; the window's own directory is put back afterwards.
    std::string shown = commands.CurrentPath;
    ScopeExit restore([&] { commands.CurrentPath = shown; });
    if (!items.empty() && !items.front().IsRoot()) {
        commands.CurrentPath = items.front().DirectoryPath();
    }
    return fetcher.FetchAll();
}

// --- the clipboard ----------------------------------------------------------------------------

bool CopyController::Copy(bool cut) {
    lastCopiedFile_.clear();
    Pane pane = window_.ActivePane();
    std::vector<ItemRef> items = window_.Selection(pane);
    if (items.empty() || !folder_) {
        return false;
    }
    bool copied = false;
    window_.Guarded([&] {
        DesktopItemFetcher fetcher(window_.Commands(), *folder_);
        fetcher.Announce(items);
        std::vector<std::string> files = FetchFrom(items, fetcher);
        TFileSource* source = pane == Pane::Tree ? treeSource_ : listSource_;
        source->Files = files;
        source->CopyFilesToClipboard(cut);
        if (cut) {
            // The items leave the calculator; until pasted they live in the batch folder.
            std::string folder = files.back().substr(0, files.back().rfind('/') + 1);
            window_.ShowStatus("Cut: the files are kept in " + folder + " until pasted");
        }
        lastCopiedFile_ = files.back();
        copied = true;
    });
    window_.UpdateControls();  // Paste follows the clipboard
    return copied;
}

bool CopyController::CopyAsText() {
    UiBridge& ui = window_.Ui();
    bool textMode = window_.State().textMode;
    ui.SetTextMode(true);
    ScopeExit modeBack([&] { ui.SetTextMode(textMode); });
    return Copy();
}

void CopyController::Paste() {
    if (!window_.ListEnabled() || listTarget_->ReadClipboardFiles() == 0) {
        return;
    }
    std::vector<std::string> files = std::move(listTarget_->DroppedFiles);
    listTarget_->DroppedFiles.clear();
    // The refresh after the put shows the pasted item selected (the last one that arrived).
    if (std::optional<std::string> pasted = PutBatch(files)) {
        window_.SetSelectedName(QString::fromLatin1(*pasted));
    }
}

std::optional<std::string> CopyController::PutBatch(const std::vector<std::string>& files) {
    SessionCommands& commands = window_.Commands();
    // The session tells for each file whether the calculator now holds it, from the listing
    // read after the batch.
    std::string failures;
    std::optional<std::string> arrived;
    for (const PutResult& put : commands.PutFiles(files)) {
        if (put.outcome.IsDone()) {
            arrived = put.name;
        }
        if (put.outcome.IsFailed()) {
            // A raised failure says what it was about; the listing's verdict names the file.
            bool named = put.outcome.message.rfind("Error (", 0) == 0;
            failures += (failures.empty() ? "" : "\r\n") +
                        (named ? "" : put.path + ": not sent: ") + put.outcome.message;
        }
    }
    if (!failures.empty()) {
        window_.ShowError(failures);
    }
    return arrived;
}

// --- drops ------------------------------------------------------------------------------------

void CopyController::FileTargetListDrop(const std::vector<std::string>& files,
                                        QPoint viewportPoint) {
    window_.Ui().ProcessEvents();
    if (!window_.ListEnabled() || files.empty()) {
        return;
    }
    if (std::optional<ItemRef> row = window_.ListItemAt(viewportPoint); row && row->isDirectory) {
        // Onto a directory row: the files go there, and the list shows it after the refresh.
        window_.Commands().CurrentPath = row->path;
    }
    PutBatch(files);
}

void CopyController::FileTargetTreeDrop(const std::vector<std::string>& files,
                                        QPoint viewportPoint) {
    window_.Ui().ProcessEvents();
    QAbstractItemView* tree = window_.TreeView();
    ScopeExit unhighlight([this] { ClearDropHighlight(); });
    if (!tree->isEnabled() || files.empty()) {
        return;
    }
    QModelIndex node = tree->indexAt(viewportPoint);
    if (!node.isValid() && dropHighlight_.isValid()) {
        node = dropHighlight_;
    }
    if (node.isValid()) {
        // Selecting it makes its directory the current one, as a click would.
        tree->setCurrentIndex(node);
    }
    if (tree->currentIndex().isValid()) {
        PutBatch(files);
    }
}

void CopyController::HighlightDropNode(QPoint viewportPoint) {
    QAbstractItemView* tree = window_.TreeView();
    QModelIndex under = tree->isEnabled() ? tree->indexAt(viewportPoint) : QModelIndex();
    if (under == dropHighlight_) {
        return;
    }
    ClearDropHighlight();
    if (under.isValid()) {
        QAbstractItemModel* model = tree->model();
        model->setData(under, tree->palette().highlight(), Qt::BackgroundRole);
        model->setData(under, tree->palette().highlightedText(), Qt::ForegroundRole);
        dropHighlight_ = under;
    }
}

void CopyController::ClearDropHighlight() {
    if (dropHighlight_.isValid()) {
        QAbstractItemModel* model = window_.TreeView()->model();
        model->setData(dropHighlight_, QVariant(), Qt::BackgroundRole);
        model->setData(dropHighlight_, QVariant(), Qt::ForegroundRole);
    }
    dropHighlight_ = QPersistentModelIndex();
}

// --- drags out --------------------------------------------------------------------------------

TFileSource* CopyController::PrepareDrag(Pane pane) {
    std::vector<ItemRef> items = window_.Selection(pane);
    if (items.empty() || !folder_) {
        return nullptr;
    }
    TFileSource* source = pane == Pane::Tree ? treeSource_ : listSource_;
    source->Files.clear();
    source->OnDrop = nullptr;
    auto fetcher = std::make_shared<DesktopItemFetcher>(window_.Commands(), *folder_);
    std::vector<std::string> entries = fetcher->Announce(items);
    if (!items.front().IsRoot()) {
        // A hand that lets go within a second must still drop: the drag starts at once.
        source->Files = std::move(entries);
        source->OnDrop = [this, items, fetcher](const std::vector<std::string>&) {
            return FetchForDrag(items, *fetcher);
        };
        return source;
    }
    std::vector<std::string> files;
    window_.Guarded([&] { files = FetchFrom(items, *fetcher); });
    if (files.size() != items.size()) {
        return nullptr;
    }
    source->Files = std::move(files);
    return source;
}

std::vector<std::string> CopyController::FetchForDrag(const std::vector<ItemRef>& items,
                                                      DesktopItemFetcher& fetcher) {
    std::vector<std::string> files;
    std::optional<std::string> failure;
    if (window_.Busy()) {
        // A late request, come while another operation holds the calculator.
        failure = "The calculator is busy: the dragged items were not got";
    } else {
        // The request arrives inside the platform's drag loop (or after it, from the main
        // loop): a nested event loop could end the drag and free the data under it.
        if (plainWaits) {
            plainWaits(true);
        }
        try {
            files = FetchFrom(items, fetcher);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        std::string held = plainWaits ? plainWaits(false) : std::string();
        if (failure && !held.empty()) {
            failure = held + "\r\n" + *failure;
        }
    }
    if (failure) {
        files.clear();  // what was got before the failure is not offered either
        dragFailure_ = failure;
        if (!dragRunning_) {
            QTimer::singleShot(0, this, [this] { ShowDragFailure(); });
        }
    }
    return files;
}

void CopyController::ShowDragFailure() {
    if (std::optional<std::string> failure = std::exchange(dragFailure_, std::nullopt)) {
        window_.ShowError(*failure);
    }
}

void CopyController::StartDrag(Pane pane) {
    // A move while the drag runs must not start another.
    dragStarted_ = true;
    std::vector<ItemRef> items = window_.Selection(pane);
    TFileSource* source = PrepareDrag(pane);
    if (source == nullptr) {
        pressPoint_.reset();
        return;
    }
    // The whole calculator dragged out must not be dropped back onto it.
    bool wholeCalculator = pane == Pane::Tree && !items.empty() && items.front().IsRoot();
    if (wholeCalculator) {
        DetachTargets();
    }
    QWidget* from = pane == Pane::Tree ? static_cast<QWidget*>(window_.TreeView())
                                       : static_cast<QWidget*>(window_.ListView());
    dragRunning_ = true;
    runDrag(*source, from);
    dragRunning_ = false;
    if (wholeCalculator) {
        AttachTargets();
    }
    pressPoint_.reset();
    ShowDragFailure();
}

bool CopyController::PaneMouseEvent(QObject* viewport, QMouseEvent* mouse) {
    bool inTree = viewport == window_.TreeView()->viewport();
    QPoint point = mouse->position().toPoint();
    switch (mouse->type()) {
        case QEvent::MouseButtonPress:
            if (mouse->button() == Qt::LeftButton) {
                bool onItem =
                    static_cast<QAbstractItemView*>(viewport->parent())->indexAt(point).isValid();
                pressPoint_ = onItem ? std::optional<QPoint>(point) : std::nullopt;
                dragStarted_ = false;
            }
            return false;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton) {
                pressPoint_.reset();
            }
            return false;
        case QEvent::MouseMove: {
            Pane pane = inTree ? Pane::Tree : Pane::List;
            bool held = (mouse->buttons() & (Qt::LeftButton | Qt::RightButton)) != 0;
            int distance = inTree ? kTreeDragDistance : kListDragDistance;
            if (!pressPoint_ || dragStarted_ || !held || pane != window_.ActivePane() ||
                window_.Busy() || !MovedBeyond(*pressPoint_, point, distance)) {
                return false;
            }
            StartDrag(pane);
            return true;
        }
        default:
            return false;
    }
}

bool CopyController::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return PaneMouseEvent(watched, static_cast<QMouseEvent*>(event));
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace vaddex::gui
