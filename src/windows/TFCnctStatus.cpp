#include "windows/TFCnctStatus.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace vaddex::gui {
namespace {

constexpr int kWidth = 201;

}  // namespace

TFCnctStatus::TFCnctStatus(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle("Looking for Calculator");
    // Without a title bar nothing else tells the window from what lies behind it.
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    Animate1 = new QProgressBar(frame);
    Animate1->setTextVisible(false);
    Animate1->setRange(0, 1);
    lblLooking = new QLabel("Looking for Calculator", frame);
    lblLooking->setAlignment(Qt::AlignCenter);
    btnCancel = new QPushButton("Cancel", frame);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setToolTip("Stop looking for the calculator.");
    connect(btnCancel, &QPushButton::clicked, this, &TFCnctStatus::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    auto* inner = new QVBoxLayout(frame);
    inner->addStretch();
    inner->addWidget(Animate1);
    inner->addWidget(lblLooking);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    // As wide as ever; taller by the button.
    setFixedWidth(kWidth);
    setFixedHeight(sizeHint().height());
}

bool TFCnctStatus::TakeCancelled() {
    bool cancelled = cancelled_;
    cancelled_ = false;
    return cancelled;
}

void TFCnctStatus::showEvent(QShowEvent* event) {
    Animate1->setRange(0, 0);  // runs while shown
    TCentredDialog::showEvent(event);
    btnCancel->setFocus();
}

void TFCnctStatus::hideEvent(QHideEvent* event) {
    Animate1->setRange(0, 1);
    TCentredDialog::hideEvent(event);
}

void TFCnctStatus::reject() {
    cancelled_ = true;
    // Hidden at once: the connect sees it gone the next time it lets events run.
    TCentredDialog::reject();
}

}  // namespace vaddex::gui
