#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vaddex::gui {

// The help pages: a browser over the help folder with back, forward and contents.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    HelpWindow(const QString& folder, QWidget* parent);

    // Shows the page (a file name in the help folder), raising the window; a missing page
    // says so instead of showing an empty window.
    void ShowPage(const QString& page);
    // The file name of the page shown.
    QString Page() const;

private:
    QString folder_;
    QTextBrowser* browser_ = nullptr;
};

}  // namespace vaddex::gui
