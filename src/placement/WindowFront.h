#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace vaddex::gui {

// Keeps a secondary window in front of the main window and reachable: the window manager is
// told whom it belongs to (so it stays above its owner and goes with it), and every time it
// is shown it is moved, if need be, so that it lies on the screen with its title bar visible.
// Shown the first time without a stored place of its own, it opens centred over its owner,
// where the user is looking; after that it goes where the user puts it.
class WindowFront : public QObject {
    Q_OBJECT

public:
    // `window` (a top-level widget) belongs to `owner` from now on; the filter lives as a
    // child of `window`. A window of kind Qt::Window becomes a dialog window, the kind the
    // window manager keeps above its owner; the title-bar buttons stay as they were.
    static void Attach(QWidget* window, QWidget* owner);

    // Shows the window restored from minimised, raised above the others and active.
    static void ShowInFront(QWidget* window);

    // Where a window whose frame is `frame` goes to lie inside `available`: moved just far
    // enough, and to the top left corner where it is larger than the area.
    static QPoint OnScreen(const QRect& frame, const QRect& available);
    // The top left corner that centres a window of `size` over `owner`'s frame.
    static QPoint CentredOver(const QSize& size, const QRect& owner);
    // The available area of the screen that holds the most of `frame` (the primary one when
    // none does); empty when there is no screen.
    static QRect AvailableAreaFor(const QRect& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowFront(QWidget* window, QWidget* owner);
    // Moves the window onto the screen; true when it had to.
    bool KeepOnScreen(QWidget* window);

    QPointer<QWidget> owner_;
    bool placing_ = false;  // shown, and the window manager may still place it
    int moves_ = 0;         // made since the window was shown
    bool shownBefore_ = false;
    QElapsedTimer shownAt_;
};

}  // namespace vaddex::gui
