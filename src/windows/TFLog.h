#pragma once

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "placement/TWindowPosSave.h"

namespace vaddex::gui {

// "Log": the running text of every transfer report and of each operation's steps and outcome,
// for the user to read, copy or clear. It lives only in memory; hiding keeps it. Its placement
// is kept under "LogForm".
class TFLog : public QWidget {
public:
    explicit TFLog(QWidget* parent = nullptr);

    // Appends one report text as a new line; CR LF inside it starts further lines, and an
    // empty text adds an empty line.
    void Append(const std::string& text);
    // Appends a step or an outcome of an operation, after the time of day ("05:12:03 ").
    void Note(const std::string& text);
    QString Text() const { return Memo1->toPlainText(); }
    // Shows the window, restored if minimised, with the focus (the main window's "Log" button).
    void ShowLog();

    QPlainTextEdit* Memo1;
    QPushButton* btnClear;
    QPushButton* btnOK;
    QMenu* PopupMenu1;

protected:
    // Closing hides the window and stores its placement, visible or not.
    void closeEvent(QCloseEvent* event) override;

private:
    TWindowPosSave WindowPosSave1;
};

}  // namespace vaddex::gui
