#pragma once

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <string>

#include "placement/TWindowPosSave.h"
#include "session/Outcome.h"

namespace vaddex::gui {

// "Log": one line for each operation the user asked for, with its time, what it did and how
// it ended, and the messages the user was shown; for reading, copying, saving or clearing. It
// lives only in memory; hiding keeps it. Its placement is kept under "LogForm".
class TFLog : public QWidget {
public:
    explicit TFLog(QWidget* parent = nullptr);

    // The line of an operation without its time: "deleted GREETING: done",
    // "renamed N to NOTES: failed, NOTES: already exists in HOME".
    static QString OperationLine(const std::string& what, const Outcome& outcome);
    // Appends the operation's line after the time of day ("05:12:03 ").
    void Operation(const std::string& what, const Outcome& outcome);
    // Appends a message after the time of day, on one line; the failure the operation line
    // before it has already told is not told twice.
    void Note(const std::string& text);
    QString Text() const { return Memo1->toPlainText(); }
    // Writes the log as a text file; false, with the reason, when it could not be written.
    bool SaveTo(const QString& path, QString& error) const;
    // Shows the window, restored if minimised, with the focus (the main window's "Log" button).
    void ShowLog();

    QPlainTextEdit* Memo1;
    QPushButton* btnClear;
    QPushButton* btnSave;
    QPushButton* btnOK;
    QMenu* PopupMenu1;

protected:
    // Closing hides the window and stores its placement, visible or not.
    void closeEvent(QCloseEvent* event) override;

private:
    // Asks where to save the log and saves it there (Save As..., Ctrl+S).
    void btnSaveClick();
    void AddLine(const QString& line);

    TWindowPosSave WindowPosSave1;
    QString lastFailure_;  // the message of the last failed operation, as the log shows it
};

}  // namespace vaddex::gui
