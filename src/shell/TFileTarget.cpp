#include "shell/TFileTarget.h"

#include <QAbstractScrollArea>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QScrollBar>
#include <QWidget>

#include "shell/FileListMime.h"

namespace vaddex::gui {
namespace {

constexpr int kAutoScrollIntervalMs = 100;

QAbstractScrollArea* ScrollAreaOf(QWidget* control) {
    return qobject_cast<QAbstractScrollArea*>(control);
}

}  // namespace

TFileTarget::TFileTarget(QObject* parent) : QObject(parent) {
    scrollTimer_.setInterval(kAutoScrollIntervalMs);
    connect(&scrollTimer_, &QTimer::timeout, this, &TFileTarget::AutoScroll);
}

TFileTarget::~TFileTarget() {
    Detach();
}

QWidget* TFileTarget::EventWidget() const {
    if (QAbstractScrollArea* area = ScrollAreaOf(control_)) {
        return area->viewport();
    }
    return control_;
}

void TFileTarget::Attach(QWidget* control) {
    if (control == control_) {
        return;
    }
    Detach();
    control_ = control;
    if (QWidget* widget = EventWidget()) {
        widget->setAcceptDrops(true);
        widget->installEventFilter(this);
    }
}

void TFileTarget::Detach() {
    if (QWidget* widget = EventWidget()) {
        widget->removeEventFilter(this);
        widget->setAcceptDrops(false);
    }
    scrollTimer_.stop();
    holdingDrag_ = false;
    control_ = nullptr;
}

std::uint32_t TFileTarget::ReadClipboardFiles() {
    std::vector<std::string> files = FileListMime::ClipboardFiles();
    if (files.empty()) {
        return 0;
    }
    DroppedFiles = std::move(files);
    return FileListMime::IsCut(*QGuiApplication::clipboard()->mimeData()) ? kEffectMove
                                                                          : kEffectCopy;
}

void TFileTarget::TakeScrollSettings() {
    QAbstractScrollArea* area = ScrollAreaOf(control_);
    scrollsHorizontally_ = area && area->horizontalScrollBar()->isVisible();
    scrollsVertically_ = area && area->verticalScrollBar()->isVisible();
    QWidget* window = control_ ? control_->window() : nullptr;
    margin_ = window ? window->fontMetrics().height() / 2 : 0;
}

std::uint32_t TFileTarget::ScrollEffect(QPoint point, std::uint32_t offered) const {
    std::uint32_t effect = offered & kEffectCopy;
    QWidget* widget = EventWidget();
    if (widget == nullptr) {
        return effect;
    }
    bool nearSide = point.x() < margin_ || point.x() > widget->width() - margin_;
    bool nearTopOrBottom = point.y() < margin_ || point.y() > widget->height() - margin_;
    if ((scrollsHorizontally_ && nearSide) || (scrollsVertically_ && nearTopOrBottom)) {
        effect |= kEffectScroll;
    }
    return effect;
}

std::uint32_t TFileTarget::Offered(const QDropEvent& event) {
    return (event.possibleActions() & Qt::CopyAction) ? kEffectCopy : 0;
}

void TFileTarget::Answer(QDropEvent& event, std::uint32_t effect) {
    if (effect & kEffectCopy) {
        event.setDropAction(Qt::CopyAction);
        event.accept();
    } else {
        event.ignore();
    }
}

void TFileTarget::DragEnter(QDropEvent& event) {
    DroppedFiles.clear();
    lastPoint_ = event.position().toPoint();
    // Only the formats are looked at: reading the data would make a fetching source fetch
    // while the drag merely passes over.
    if (handlingDrop_ || !event.mimeData() || !FileListMime::OffersFiles(*event.mimeData())) {
        holdingDrag_ = false;
        event.ignore();
        return;
    }
    holdingDrag_ = true;
    TakeScrollSettings();
    std::uint32_t effect = ScrollEffect(lastPoint_, Offered(event));
    if (OnEnter) {
        OnEnter(event.modifiers(), lastPoint_, effect);
    }
    Answer(event, effect);
}

void TFileTarget::DragOver(QDropEvent& event) {
    lastPoint_ = event.position().toPoint();
    std::uint32_t effect = 0;
    if (holdingDrag_) {
        effect = ScrollEffect(lastPoint_, Offered(event));
        if (OnDragOver) {
            OnDragOver(event.modifiers(), lastPoint_, effect);
        }
        bool scrolls = scrollsHorizontally_ || scrollsVertically_;
        if (scrolls && (effect & kEffectScroll)) {
            if (!scrollTimer_.isActive()) {
                scrollTimer_.start();
            }
        } else {
            scrollTimer_.stop();
        }
    }
    Answer(event, effect);
}

void TFileTarget::DragLeave() {
    DroppedFiles.clear();
    scrollTimer_.stop();
    holdingDrag_ = false;
    if (OnLeave) {
        OnLeave();
    }
}

void TFileTarget::Drop(QDropEvent& event) {
    if (!holdingDrag_) {
        event.ignore();
        return;
    }
    holdingDrag_ = false;
    scrollTimer_.stop();
    lastPoint_ = event.position().toPoint();
    std::vector<std::string> files =
        event.mimeData() ? FileListMime::LocalFiles(*event.mimeData()) : std::vector<std::string>{};
    DroppedFiles.clear();
    if (files.empty()) {
        event.ignore();
        return;
    }
    Answer(event, kEffectCopy);
    // The files travel after the drop has been answered, so the program they came from is not
    // held in its drag loop while the calculator takes them.
    QTimer::singleShot(
        0, this, [this, files = std::move(files), shift = event.modifiers(), point = lastPoint_] {
            RunDrop(files, shift, point);
        });
}

void TFileTarget::RunDrop(const std::vector<std::string>& files, Qt::KeyboardModifiers shift,
                          QPoint point) {
    handlingDrop_ = true;
    DroppedFiles = files;
    std::uint32_t effect = ScrollEffect(point, 0) | kEffectCopy;
    if (OnDrop) {
        OnDrop(shift, point, effect);
    }
    DroppedFiles.clear();
    handlingDrop_ = false;
}

void TFileTarget::AutoScroll() {
    QAbstractScrollArea* area = ScrollAreaOf(control_);
    QWidget* widget = EventWidget();
    if (area == nullptr || widget == nullptr) {
        scrollTimer_.stop();
        return;
    }
    if (lastPoint_.y() < margin_) {
        area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (lastPoint_.y() > widget->height() - margin_) {
        area->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
    if (lastPoint_.x() < margin_) {
        area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    } else if (lastPoint_.x() > widget->width() - margin_) {
        area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    }
}

bool TFileTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != EventWidget()) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::DragEnter:
            DragEnter(*static_cast<QDropEvent*>(event));
            return true;
        case QEvent::DragMove:
            DragOver(*static_cast<QDropEvent*>(event));
            return true;
        case QEvent::DragLeave:
            DragLeave();
            return true;
        case QEvent::Drop:
            Drop(*static_cast<QDropEvent*>(event));
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace vaddex::gui
