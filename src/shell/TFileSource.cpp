#include "shell/TFileSource.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDrag>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "shell/FileListMime.h"

namespace vaddex::gui {
namespace {

// How long a held release waits for the drop target's answer before it ends the drag anyway.
constexpr int kAnswerWaitMs = 1000;

// A file manager on X reads the data while the pointer moves over it and says whether it
// takes the drop only at the next move. A hand that lets go before that answer would end the
// drag with nothing dropped: while the target has not said yes, the release is held, the
// pointer nudged by a pixel for the target to answer, and the release let through once it
// said yes or a moment passed.
class ReleaseUntilAnswered : public QObject {
public:
    explicit ReleaseUntilAnswered(QDrag& drag) {
        connect(&drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
            accepted_ = action != Qt::IgnoreAction;
            if (accepted_) {
                LetGo();
            }
        });
        giveUp_.setSingleShot(true);
        connect(&giveUp_, &QTimer::timeout, this, [this] { LetGo(); });
        // Installed once the drag loop runs, the filter sees a release before the drag does.
        QTimer::singleShot(0, this, [this] { qApp->installEventFilter(this); });
    }

    // The target got the data; it answers at the next move.
    void Delivered() {
        if (held_ && !replayed_) {
            Nudge();
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease || accepted_ || held_ || replayed_) {
            return false;
        }
        auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() != Qt::LeftButton) {
            return false;
        }
        held_.reset(new QMouseEvent(release->type(), release->position(), release->scenePosition(),
                                    release->globalPosition(), release->button(),
                                    release->buttons(), release->modifiers()));
        receiver_ = watched;
        Nudge();
        return true;
    }

private:
    void Nudge() {
        nudge_ = -nudge_;
        QCursor::setPos(QCursor::pos() + QPoint(nudge_, 0));
        giveUp_.start(kAnswerWaitMs);
    }

    void LetGo() {
        if (!held_ || replayed_) {
            return;
        }
        replayed_ = true;
        giveUp_.stop();
        if (receiver_) {
            QCoreApplication::postEvent(receiver_, held_.release());  // Qt takes it
        }
    }

    QTimer giveUp_;
    std::unique_ptr<QMouseEvent> held_;
    QPointer<QObject> receiver_;
    int nudge_ = -1;  // one pixel right, then back
    bool accepted_ = false;
    bool replayed_ = false;
};

}  // namespace

TFileSource::TFileSource(QObject* parent) : QObject(parent) {}

TFileSourceData* TFileSource::MakeDragData() const {
    return new TFileSourceData(Files, OnDrop);
}

bool TFileSource::StartDrag(QWidget* dragSource) {
    if (Files.empty()) {
        return false;
    }
    // QDrag owns the data and is itself owned by the source widget until the drag ends.
    auto* drag = new QDrag(dragSource);
    QPointer<TFileSourceData> data = MakeDragData();
    drag->setMimeData(data);
    ReleaseUntilAnswered release(*drag);
    data->onDelivered = [&release] { release.Delivered(); };
    Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (data) {
        data->onDelivered = nullptr;  // a late request comes after `release` has gone
    }
    return result == Qt::CopyAction;
}

void TFileSource::CopyFilesToClipboard(bool cut) const {
    if (Files.empty()) {
        return;
    }
    auto* data = new QMimeData;  // the clipboard takes ownership
    FileListMime::PutCopiedFiles(*data, Files, cut);
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace vaddex::gui
