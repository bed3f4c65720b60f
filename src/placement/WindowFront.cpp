#include "placement/WindowFront.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace vaddex::gui {
namespace {

int Clamp(int start, int length, int areaStart, int areaLength) {
    // Larger than the area: the start (the title bar, the left edge) is what must be seen.
    if (length >= areaLength) {
        return areaStart;
    }
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

}  // namespace

WindowFront::WindowFront(QWidget* window, QWidget* owner) : QObject(window), owner_(owner) {}

void WindowFront::Attach(QWidget* window, QWidget* owner) {
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
    if (window == nullptr || event->type() != QEvent::Show || !window->isWindow()) {
        return false;
    }
    // A window with a parent widget has it as its transient parent already.
    if (owner_ && window->parentWidget() == nullptr && window->windowHandle() != nullptr) {
        window->windowHandle()->setTransientParent(owner_->window()->windowHandle());
    }
    const QRect frame = window->frameGeometry();
    const QPoint inside = OnScreen(frame, AvailableAreaFor(frame));
    if (inside != frame.topLeft()) {
        window->move(inside);
    }
    return false;
}

}  // namespace vaddex::gui
