#include "windows/TFDownLd.h"

#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "session/PromptTexts.h"
#include "windows/DisplayText.h"

namespace vaddex::gui {
namespace {

constexpr int kMargin = 8;
constexpr int kMemoMinWidth = 257;

// Positions of the stretches around OK and Cancel in the button row.
constexpr int kBeforeOk = 0;
constexpr int kBetween = 2;
constexpr int kAfterCancel = 4;

}  // namespace

TFDownLd::TFDownLd(bool rpnPrompts, QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      rpnPrompts_(rpnPrompts) {
    setWindowTitle("Set the Calculator");

    grpPrompt = new QGroupBox("Show prompts for a calculator in", this);
    rbtnALG = new QRadioButton("ALG Mode", grpPrompt);
    rbtnRPN = new QRadioButton("RPN Mode", grpPrompt);
    auto* modes = new QHBoxLayout(grpPrompt);
    modes->addWidget(rbtnALG);
    modes->addWidget(rbtnRPN);
    modes->addStretch();

    Memo1 = new QLabel(this);
    Memo1->setTextFormat(Qt::PlainText);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Memo1->setMinimumWidth(kMemoMinWidth);

    btnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", this);
    btnCancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    buttonRow_ = new QHBoxLayout;
    buttonRow_->addStretch();
    buttonRow_->addWidget(btnOK);
    buttonRow_->addStretch();
    buttonRow_->addWidget(btnCancel);
    buttonRow_->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    layout->addWidget(grpPrompt);
    layout->addWidget(Memo1);
    layout->addLayout(buttonRow_);
    // The window follows its text: the gap above the buttons equals the gap below them.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbtnALG, &QRadioButton::clicked, this, [this] { rbtnALGClick(); });
    connect(rbtnRPN, &QRadioButton::clicked, this, [this] { rbtnRPNClick(); });
}

void TFDownLd::SetRPNPrompts(bool rpn) {
    rpnPrompts_ = rpn;
    (rpn ? rbtnRPN : rbtnALG)->setChecked(true);
}

void TFDownLd::SetPrompt(int kind) {
    // Kind 0 keeps the caller's text; the others take their kind's wording.
    QString text = kind == kPromptText ? callerText_ : DisplayText(PromptText(kind, rpnPrompts_));
    if (text.endsWith('\n')) {
        text.chop(1);
    }
    Memo1->setText(text);
    grpPrompt->setVisible(kind != kPromptText);
    (rpnPrompts_ ? rbtnRPN : rbtnALG)->setChecked(true);
    // One empty line below the text, as the window has always had.
    Memo1->setMinimumHeight((text.count('\n') + 2) * Memo1->fontMetrics().lineSpacing());
    layout()->activate();
}

void TFDownLd::PlaceButtons(bool withCancel) {
    btnCancel->setVisible(withCancel);
    // With Cancel, OK keeps its place at the left; alone, it is centred.
    buttonRow_->setStretch(kBeforeOk, 1);
    buttonRow_->setStretch(kBetween, withCancel ? 3 : 1);
    buttonRow_->setStretch(kAfterCancel, withCancel ? 1 : 0);
}

bool TFDownLd::ShowPrompt(int kind, const std::string& caption) {
    currentPromptKind_ = kind;
    SetPrompt(kind);
    btnOK->setText(kind == kPromptRestored ? "Connect" : "OK");
    setWindowTitle(caption.empty() ? QString::fromLatin1(PromptCaption(kind).c_str())
                                   : DisplayText(caption));
    PlaceButtons(PromptHasCancel(kind));
    if (IsNonModalPrompt(kind)) {
        btnOK->hide();
        setModal(false);
        show();
        raise();
        activateWindow();
        return false;
    }
    btnOK->show();
    // Enter goes to the default alone, not to whichever button had the focus.
    btnOK->setAutoDefault(false);
    btnCancel->setAutoDefault(false);
    btnOK->setDefault(!cancelByDefault_);
    btnCancel->setDefault(cancelByDefault_);
    return exec() == QDialog::Accepted;
}

bool TFDownLd::ShowTextPrompt(const std::string& text, const std::string& caption,
                              bool cancelByDefault) {
    callerText_ = DisplayText(text);
    cancelByDefault_ = cancelByDefault;
    bool answer = ShowPrompt(kPromptText, caption);
    cancelByDefault_ = false;
    return answer;
}

void TFDownLd::HidePrompt(int kind) {
    if (kind == currentPromptKind_) {
        hide();
    }
}

void TFDownLd::showEvent(QShowEvent* event) {
    TCentredDialog::showEvent(event);
    if (cancelByDefault_ && btnCancel->isVisibleTo(this)) {
        btnCancel->setFocus();
    } else if (btnOK->isVisibleTo(this)) {
        btnOK->setFocus();
    } else if (btnCancel->isVisibleTo(this)) {
        btnCancel->setFocus();
    }
    // A window restored from the task bar is no new prompt.
    if (OnShown && !event->spontaneous()) {
        OnShown(currentPromptKind_);
    }
}

void TFDownLd::rbtnALGClick() {
    rpnPrompts_ = false;
    SetPrompt(currentPromptKind_);
}

void TFDownLd::rbtnRPNClick() {
    rpnPrompts_ = true;
    SetPrompt(currentPromptKind_);
}

}  // namespace vaddex::gui
