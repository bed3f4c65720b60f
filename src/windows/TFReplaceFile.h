#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "session/ModalResult.h"
#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// "Confirm File Replace": may a file being sent overwrite the calculator variable of its name?
class TFReplaceFile : public TCentredDialog {
public:
    explicit TFReplaceFile(QWidget* parent = nullptr);

    // Blocks until answered: Yes, All (offered only from two files on), No or Cancel (Esc).
    ModalResult AskReplace(const std::string& name, int fileCount);

    QLabel* Memo1;
    QPushButton* btnYes;
    QPushButton* btnAll;
    QPushButton* btnNo;
    QPushButton* btnCancel;
};

}  // namespace vaddex::gui
