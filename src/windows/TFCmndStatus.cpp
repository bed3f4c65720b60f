#include "windows/TFCmndStatus.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace vaddex::gui {

TFCmndStatus::TFCmndStatus(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle("Calculator is Working");
    Animate1 = new QProgressBar(this);
    Animate1->setTextVisible(false);
    Animate1->setRange(0, 1);
    memPrompt = new QLabel(
        "The calculator is busy, please wait for it to complete\n"
        "the commands.\n"
        "\n"
        "You may press CANCEL to stop the PC side of the \n"
        "connection but the calculator will continue on its own.",
        this);
    memPrompt->setTextFormat(Qt::PlainText);
    memPrompt->setFocusPolicy(Qt::NoFocus);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    BitBtn1->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Animate1);
    layout->addWidget(memPrompt);
    layout->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumSize(272, 179);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TFCmndStatus::BitBtn1Click() {
    cancelled_ = true;
    hide();
}

void TFCmndStatus::showEvent(QShowEvent* event) {
    Animate1->setRange(0, 0);
    TCentredDialog::showEvent(event);
    activateWindow();
    BitBtn1->setFocus();
    if (OnShownChanged && !event->spontaneous()) {
        OnShownChanged(true);
    }
}

void TFCmndStatus::hideEvent(QHideEvent* event) {
    Animate1->setRange(0, 1);
    TCentredDialog::hideEvent(event);
    if (OnShownChanged && !event->spontaneous()) {
        OnShownChanged(false);
    }
}

}  // namespace vaddex::gui
