#include "windows/TFReplaceFile.h"

#include "windows/DisplayText.h"

namespace vaddex::gui {

TFReplaceFile::TFReplaceFile(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle("Confirm File Replace");
    Memo1 = new QLabel(this);
    btnYes = new QPushButton("&Yes", this);
    btnAll = new QPushButton("&All", this);
    btnNo = new QPushButton("&No", this);
    btnCancel = new QPushButton("Cancel", this);
    // Only No answers Enter, whichever button had the focus last.
    for (QPushButton* button : {btnYes, btnAll, btnNo, btnCancel}) {
        button->setAutoDefault(false);
    }
    btnNo->setDefault(true);

    LayOutQuestion(Memo1, {btnYes, btnAll, btnNo, btnCancel});

    // QDialog's result carries the ModalResult; Esc and the close box give Cancel (0 ->
    // Rejected is mapped below).
    connect(btnYes, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(ModalResult::Yes)); });
    connect(btnAll, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(ModalResult::All)); });
    connect(btnNo, &QPushButton::clicked, this,
            [this] { done(static_cast<int>(ModalResult::No)); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

ModalResult TFReplaceFile::AskReplace(const std::string& name, int fileCount) {
    setWindowTitle("Confirm File Replace");
    Memo1->setText(DisplayText("\r\nThis folder already contains a file named " + name +
                               ".\r\n\r\n" +
                               "Would you like to replace the existing file?\r\n\r\n"));
    btnAll->setVisible(fileCount >= 2);
    btnCancel->setVisible(true);
    int result = AskSafely();
    return result == QDialog::Rejected ? ModalResult::Cancel : static_cast<ModalResult>(result);
}

std::string TFReplaceFile::DirectoryQuestion(const std::string& name, int itemCount) {
    std::string holding = itemCount == 0   ? "is empty"
                          : itemCount == 1 ? "holds 1 item"
                                           : "holds " + std::to_string(itemCount) + " items";
    return "\r\n" + name + " on the calculator is a directory, not a file; it " + holding +
           ".\r\n\r\n" + "Would you like to replace the directory" +
           (itemCount == 0 ? "" : " and everything in it") + " by the file?\r\n\r\n";
}

ModalResult TFReplaceFile::AskReplaceDirectory(const std::string& name, int itemCount) {
    setWindowTitle("Confirm Directory Replace");
    Memo1->setText(DisplayText(DirectoryQuestion(name, itemCount)));
    btnAll->setVisible(false);
    btnCancel->setVisible(false);
    int result = AskSafely();
    return result == static_cast<int>(ModalResult::Yes) ? ModalResult::Yes : ModalResult::No;
}

int TFReplaceFile::AskSafely() {
    // The question may come during a drop from another program.
    if (QWidget* owner = OwnerWindow()) {
        owner->window()->raise();
        owner->window()->activateWindow();
    }
    btnNo->setDefault(true);
    btnNo->setFocus();
    return exec();
}

}  // namespace vaddex::gui
