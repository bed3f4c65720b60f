#pragma once

#include <QLabel>
#include <QPushButton>
#include <string>

#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// "Wrong File Type?": a file about to be sent does not carry this calculator's binary header.
class TFBadFile : public TCentredDialog {
public:
    explicit TFBadFile(QWidget* parent = nullptr);

    // Beeps and blocks until answered. With offerChoice: kWrongFileText, kWrongFileBinary or
    // Cancel; without: OK (Yes) or Cancel (No, Esc); as int.
    int AskWrongFile(const std::string& fileName, const std::string& kind, bool offerChoice);

    QLabel* Memo1;
    QPushButton* btnYes;
    QPushButton* btnNo;
    QPushButton* btnBinary;
    QPushButton* btnText;
    QPushButton* btnCancel;

private:
    int choice_ = 0;
};

}  // namespace vaddex::gui
