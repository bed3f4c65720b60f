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
    btnYes->setDefault(true);

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
    Memo1->setText(DisplayText("\r\nThis folder already contains a file named " + name +
                               ".\r\n\r\n" +
                               "Would you like to replace the existing file?\r\n\r\n"));
    btnAll->setVisible(fileCount >= 2);
    // The question may come during a drop from another program.
    if (QWidget* owner = OwnerWindow()) {
        owner->window()->raise();
        owner->window()->activateWindow();
    }
    int result = exec();
    return result == QDialog::Rejected ? ModalResult::Cancel : static_cast<ModalResult>(result);
}

}  // namespace vaddex::gui
