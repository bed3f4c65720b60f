#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "session/ModalResult.h"
#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// "Confirm File Replace": may a file being sent overwrite the calculator variable of its name?
// Also "Confirm Directory Replace", for a file sent onto a directory's name. Both are
// answered No by Enter: replacing loses what the calculator held.
class TFReplaceFile : public TCentredDialog {
public:
    explicit TFReplaceFile(QWidget* parent = nullptr);

    // Blocks until answered: Yes, All (offered only from two files on), No or Cancel (Esc).
    ModalResult AskReplace(const std::string& name, int fileCount);
    // Blocks until answered: Yes, or No (also Esc) to keep the directory and what it holds.
    ModalResult AskReplaceDirectory(const std::string& name, int itemCount);
    // The directory question's text, with the number of items it holds.
    static std::string DirectoryQuestion(const std::string& name, int itemCount);

    QLabel* Memo1;
    QPushButton* btnYes;
    QPushButton* btnAll;
    QPushButton* btnNo;
    QPushButton* btnCancel;

private:
    // Runs the question with No as the default answer.
    int AskSafely();
};

}  // namespace vaddex::gui
