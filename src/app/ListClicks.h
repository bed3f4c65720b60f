#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <functional>

class QAbstractItemView;
class QMouseEvent;
class QTimer;

namespace vaddex::gui {

// The clicks of a list view as file managers take them: a press on empty space clears the
// selection (so that no command offers to act on rows the user no longer sees chosen), and
// renaming by mouse needs a slow second click on a row the user clicked before; a row that
// is merely selected (after a refresh, by the keyboard) is not renamed by one click.
class ListClicks : public QObject {
    Q_OBJECT
public:
    // Watches the view's viewport; `clearSelection` runs for a press on empty space.
    ListClicks(QAbstractItemView* view, std::function<void()> clearSelection);

    // A second click was taken as the start of a rename that a double click may still cancel.
    bool RenamePending() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Press(QMouseEvent* mouse);
    void Release(QMouseEvent* mouse);

    QAbstractItemView* view_;
    std::function<void()> clearSelection_;
    QTimer* renameTimer_;
    QPersistentModelIndex lastPressed_;  // the row of the user's last plain left press
    quint64 lastPressTime_ = 0;
    bool secondPress_ = false;  // the press now held went onto the row pressed before
    QPersistentModelIndex toRename_;
};

}  // namespace vaddex::gui
