#include "windows/TFBadFile.h"

#include <QApplication>

#include "session/ModalResult.h"
#include "windows/DisplayText.h"

namespace vaddex::gui {

TFBadFile::TFBadFile(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle("Wrong File Type?");
    Memo1 = new QLabel(this);
    btnYes = new QPushButton("&Yes", this);
    btnNo = new QPushButton("&No", this);
    btnBinary = new QPushButton("&Binary", this);
    btnText = new QPushButton("&Text", this);
    btnCancel = new QPushButton("Cancel", this);

    for (QPushButton* button : {btnYes, btnNo, btnBinary, btnText, btnCancel}) {
        button->setAutoDefault(false);
    }
    LayOutQuestion(Memo1, {btnYes, btnNo, btnBinary, btnText, btnCancel});

    connect(btnYes, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(ModalResult::OK)); });
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnText, &QPushButton::clicked, this, [this] {
        choice_ = kWrongFileText;
        done(static_cast<int>(ModalResult::Yes));
    });
    connect(btnBinary, &QPushButton::clicked, this, [this] {
        choice_ = kWrongFileBinary;
        done(static_cast<int>(ModalResult::Yes));
    });
}

int TFBadFile::AskWrongFile(const std::string& fileName, const std::string& kind,
                            bool offerChoice) {
    Memo1->setText(DisplayText(
        fileName + "\r\n\r\nis a " + kind + " file and does not match the calculator.\r\n" +
        "This may damage the calculator contents.\r\n\r\n" +
        (offerChoice ? "How should this file be sent?" : "Do you wish to continue?")));
    choice_ = offerChoice ? kWrongFileText : kWrongFileBinary;
    btnBinary->setVisible(offerChoice);
    btnText->setVisible(offerChoice);
    btnCancel->setVisible(offerChoice);
    btnYes->setVisible(!offerChoice);
    btnNo->setVisible(!offerChoice);
    btnYes->setDefault(!offerChoice);
    (offerChoice ? btnCancel : btnNo)->setFocus();
    QApplication::beep();
    int result = exec();
    if (result == QDialog::Rejected) {
        return static_cast<int>(ModalResult::Cancel);
    }
    if (offerChoice && result == static_cast<int>(ModalResult::Yes)) {
        return choice_;
    }
    return result;
}

}  // namespace vaddex::gui
