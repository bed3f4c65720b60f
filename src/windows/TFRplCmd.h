#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace vaddex {
class SessionCommands;
}

namespace vaddex::gui {

// The calculator command window: the user types RPL command lines, sends them one at a time,
// picks earlier ones from the history and looks at the top seven levels of the stack. It never
// talks to the port itself; every command goes through the shared SessionCommands. Closing
// hides it; it lives as long as the main window.
class TFRplCmd : public QDialog {
    Q_OBJECT
public:
    // `commands` outlives the window.
    explicit TFRplCmd(SessionCommands& commands, QWidget* parent = nullptr);

    // Wired by the main window to the window position saver of sub-key "RplCmd": restore at
    // creation, store at every close (recording whether the window was visible).
    std::function<void()> RestorePlacement;
    std::function<void()> SavePlacement;

    // Restores the placement and the settings; call once the placement hooks are set.
    void FormCreate();
    // Stores the placement and the settings, then hides the window.
    void FormClose();

    // The commands are usable exactly when connected and not busy.
    void EnableCommands(bool connected, bool busy);
    // Reads the stack and shows its picture (blocks while the calculator answers).
    void UpdateStack();
    bool AutoUpdate() const;

    // Runs the command line (an empty one refreshes the stack); blocks until the calculator is
    // ready again. Beeps and does nothing while the commands are disabled.
    void btnSendClick();
    // Refreshes the stack picture; blocks while the calculator answers.
    void btnStackClick();

    static const char* const kWarningText;
    // Most recent first, without two entries that differ only in letter case.
    static void AddToHistory(QComboBox& history, const QString& text);
    // The memo text for the stack lines: one per line, no line end after the last.
    static QString StackPictureText(const std::vector<std::string>& lines);
    // The most of a clipboard text that a paste puts into the command line.
    static constexpr int kMaxPasteChars = 99;
    // The size at which the warning text shows whole, without scrolling.
    QSize WarningSize() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildMenus();
    // True when a command may run now; otherwise beeps.
    bool MayRun();
    void ReportError(const std::exception& error);
    void PasteIntoCommand();
    // Makes this window the active one again and puts the focus on `control`.
    void TakeBackFocus(QWidget* control);

    SessionCommands& commands_;
    bool commandsEnabled_ = false;
    bool typingWhenDisabled_ = false;  // the command box had the keyboard when it went off
    QPlainTextEdit* memo_ = nullptr;
    QCheckBox* chbAutoUpdate_ = nullptr;
    QLabel* lblCmd_ = nullptr;
    QComboBox* cmboCmd_ = nullptr;
    QPushButton* btnStack_ = nullptr;
    QPushButton* btnSend_ = nullptr;
    QPushButton* btnOK_ = nullptr;
};

}  // namespace vaddex::gui
