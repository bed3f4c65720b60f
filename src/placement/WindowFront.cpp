#include "placement/WindowFront.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "placement/TWindowPosSave.h"

namespace vaddex::gui {
namespace {

int Clamp(int start, int length, int areaStart, int areaLength) {
    // Larger than the area: the start (the title bar, the left edge) is what must be seen.
    if (length >= areaLength) {
        return areaStart;
    }
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

constexpr int kMostMoves = 4;
constexpr qint64 kPlacingMs = 2000;

}  // namespace

WindowFront::WindowFront(QWidget* window, QWidget* owner) : QObject(window), owner_(owner) {}

void WindowFront::Attach(QWidget* window, QWidget* owner) {
    if (window->findChild<WindowFront*>(QString(), Qt::FindDirectChildrenOnly) != nullptr) {
        return;  // attached already: one filter places it
    }
    if (window->windowType() == Qt::Window) {
        // A plain window has these buttons by default; a dialog would lose them.
        const Qt::WindowFlags hints = (window->windowFlags() & ~Qt::WindowType_Mask) |
                                      Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        window->setWindowFlags(Qt::Dialog | hints);
    }
    window->installEventFilter(new WindowFront(window, owner));
}

void WindowFront::ShowInFront(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

QPoint WindowFront::OnScreen(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) {
        return frame.topLeft();
    }
    return {Clamp(frame.left(), frame.width(), available.left(), available.width()),
            Clamp(frame.top(), frame.height(), available.top(), available.height())};
}

QPoint WindowFront::CentredOver(const QSize& size, const QRect& owner) {
    return {owner.x() + (owner.width() - size.width()) / 2,
            owner.y() + (owner.height() - size.height()) / 2};
}

QRect WindowFront::AvailableAreaFor(const QRect& frame) {
    QScreen* best = nullptr;
    int bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry().intersected(frame);
        const int area = common.isEmpty() ? 0 : common.width() * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (best == nullptr) {
        best = QGuiApplication::primaryScreen();
    }
    return best == nullptr ? QRect() : best->availableGeometry();
}

bool WindowFront::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (window == nullptr || !window->isWindow()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::Show:
            if (owner_ && !shownBefore_ &&
                !window->property(TWindowPosSave::kPlacedProperty).toBool()) {
                window->move(
                    CentredOver(window->frameGeometry().size(), owner_->window()->frameGeometry()));
            }
            shownBefore_ = true;
            // A window with a parent widget has it as its transient parent already.
            if (owner_ && window->parentWidget() == nullptr && window->windowHandle() != nullptr) {
                window->windowHandle()->setTransientParent(owner_->window()->windowHandle());
            }
            placing_ = true;
            moves_ = 0;
            shownAt_.start();
            KeepOnScreen(window);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
            // The window manager frames and places the window only after it is shown, by the
            // first request it had; the title bar may then lie above the screen. Look again
            // while it answers, a few times at most; after that the window goes where the
            // user puts it.
            if (placing_ && shownAt_.elapsed() < kPlacingMs && KeepOnScreen(window)) {
                placing_ = ++moves_ < kMostMoves;
            }
            break;
        case QEvent::Hide:
            placing_ = false;
            break;
        default:
            break;
    }
    return false;
}

bool WindowFront::KeepOnScreen(QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QPoint inside = OnScreen(frame, AvailableAreaFor(frame));
    if (inside == frame.topLeft()) {
        return false;
    }
    window->move(inside);
    return true;
}

}  // namespace vaddex::gui
