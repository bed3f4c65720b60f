#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QWidget;

namespace vaddex::gui {

// The help: pages in the data folder's help/ (one per context number, index.html the
// contents) shown in one help window, and popup texts from help/cshelp.txt.

// Opens the page of a context number in the help window; 0 opens the contents.
void ShowHelpTopic(QWidget* parent, int context);

// Contexts at 5000 or above (modulo 10000) open their page; the others show their popup
// text at `point`. Context 0 or 1 shows the hint of the focused control.
void ShowContextHelp(QWidget* parent, const QPoint& point, int context);

// Prefixes the hint of every widget under `root` that has a help context above 1 (the
// "helpContext" property): "? " when it has a popup text, "?* " when it opens a page. A
// hint that already begins with "?" is left alone.
void MarkHelpHints(QObject* root);

// The popup text of a context number from cshelp.txt; empty when it has none.
QString PopupText(int context);

// F1 and "What's This?" on any widget: the help context of the widget or its nearest
// parent that has one. Installed on the application once.
class HelpHandler : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vaddex::gui
