#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QFileSystemWatcher;
class QLabel;
class QTimer;

namespace vaddex::gui {

// "Editing NAME": stands in for an editor that returned at once (a desktop opener, or one that
// handed the file to a running instance). Each change saved to the file goes to the calculator
// until the user closes the window; then the file is deleted.
class TFEditWatch : public QDialog {
    Q_OBJECT
public:
    // `send` delivers the file and returns false when it failed (it has told the user);
    // `canSend` says whether the calculator may be talked to now; a change found while it
    // cannot waits for it.
    TFEditWatch(const std::string& file, const std::string& itemName,
                std::function<bool(const std::string& file)> send, std::function<bool()> canSend,
                QWidget* parent);
    ~TFEditWatch() override;  // deletes the file

    const std::string& File() const { return file_; }
    // Changes sent so far.
    int Sent() const { return sent_; }

private:
    void FileChanged();
    void Watch();

    std::string file_;
    std::string lastContent_;  // what the calculator holds of it
    std::function<bool(const std::string&)> send_;
    std::function<bool()> canSend_;
    QFileSystemWatcher* watcher_;
    QTimer* retry_;
    QLabel* state_;
    int sent_ = 0;
};

}  // namespace vaddex::gui
