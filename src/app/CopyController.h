#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowRules.h"
#include "shell/DesktopFileFolder.h"
#include "shell/ItemRef.h"

class QAbstractItemView;
class QMouseEvent;
class QWidget;

namespace vaddex::gui {

class DesktopItemFetcher;
class TFileSource;
class TFileTarget;
class WindowContext;

// Moves items between the calculator and the desktop for the main window: Copy, Cut's copy,
// Copy as Text File and Paste through the clipboard, drags out of the list and the tree, and
// files dropped onto them. Every transfer goes through the window's SessionCommands.
class CopyController : public QObject {
    Q_OBJECT
public:
    // Installs the Copy, Copy as Text File and Paste commands on the window and attaches the
    // drop targets. Desktop files older than a day left by earlier runs are removed here.
    // Without a folder nothing can be handed to the desktop: Copy and drags stay off, while
    // Paste and drops, which only read the desktop's files, still work.
    CopyController(WindowContext& window, std::optional<DesktopFileFolder> folder);
    ~CopyController() override;

    // Gets the items selected in the active pane into a new desktop batch and puts the files
    // on the clipboard. Blocks while the calculator sends; false (clipboard untouched) when
    // nothing was selected or a get failed, which is shown as an error.
    bool Copy(bool cut = false);
    // Copy in text mode, the transfer mode put back afterwards.
    bool CopyAsText();
    // Sends the clipboard's files into the current directory as one batch; blocks.
    void Paste();
    // The file the last Copy wrote last (Edit as Text opens it); empty after a failed one.
    const std::string& LastCopiedFile() const { return lastCopiedFile_; }

    // A list drop: onto a directory row the files go into that directory. Blocks.
    void FileTargetListDrop(const std::vector<std::string>& files, QPoint viewportPoint);
    // A tree drop: into the directory of the node under the point (or the highlighted one).
    void FileTargetTreeDrop(const std::vector<std::string>& files, QPoint viewportPoint);

    // Sets the pane's drag source up with the selection; null when nothing can be dragged.
    // The items are got when the drop target asks for them, inside the drag; the whole
    // calculator, whose backup may ask questions and runs long, is got first (null when that
    // failed, shown as an error). StartDrag runs the drag itself.
    TFileSource* PrepareDrag(Pane pane);
    void StartDrag(Pane pane);
    // Whether the window's own panes take drops now (not while the root is dragged out).
    bool PanesAcceptDrops() const;
    // Runs the platform's drag of the source from the pane; blocks until it ends.
    std::function<void(TFileSource& source, QWidget* from)> runDrag;
    // Turns the bridge's plain waits on and off around a get that a drop target asked for:
    // inside the platform's drag loop no Qt event loop may run. Off returns the messages the
    // session gave meanwhile.
    std::function<std::string(bool on)> plainWaits;

    // Whether items can be handed to the desktop (Copy, Cut, drags, Edit as Text).
    bool CanCopy() const { return folder_.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The paths of the items, fetched in full from the directory that holds them; raises
    // "Canceled by user" on a failed get.
    std::vector<std::string> FetchFrom(const std::vector<ItemRef>& items,
                                       DesktopItemFetcher& fetcher) const;
    // The name of the last item that arrived, if any did.
    std::optional<std::string> PutBatch(const std::vector<std::string>& files);
    // The get a drop target asked for: the complete files, or none when a get failed, which
    // is shown once the drag is over.
    std::vector<std::string> FetchForDrag(const std::vector<ItemRef>& items,
                                          DesktopItemFetcher& fetcher);
    void ShowDragFailure();
    void AttachTargets();
    void DetachTargets();
    bool PaneMouseEvent(QObject* viewport, QMouseEvent* mouse);
    void HighlightDropNode(QPoint viewportPoint);
    void ClearDropHighlight();

    WindowContext& window_;
    std::optional<DesktopFileFolder> folder_;
    TFileSource* listSource_ = nullptr;
    TFileSource* treeSource_ = nullptr;
    TFileTarget* listTarget_ = nullptr;   // the details view
    TFileTarget* iconsTarget_ = nullptr;  // the icon and list views
    TFileTarget* treeTarget_ = nullptr;
    std::string lastCopiedFile_;
    // Drag state: where the left button went down on an item, and whether a drag ran since.
    std::optional<QPoint> pressPoint_;
    bool dragStarted_ = false;
    bool dragRunning_ = false;
    std::optional<std::string> dragFailure_;
    QPersistentModelIndex dropHighlight_;
};

}  // namespace vaddex::gui
