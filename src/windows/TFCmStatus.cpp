#include "windows/TFCmStatus.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "windows/DisplayText.h"

namespace vaddex::gui {
namespace {

constexpr int kRepaintMs = 1000;
// Room for the two lines of transfer statistics and a file path.
constexpr int kLabelWidth = 240;
constexpr int kLabelLines = 4;

}  // namespace

TFCmStatus::TFCmStatus(QWidget* parent)
    : TCentredDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setFixedSize(kLabelWidth, kLabelLines * Label1->fontMetrics().lineSpacing());
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setRange(0, 100);
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", this);
    tmrCmStat = new QTimer(this);
    tmrCmStat->setInterval(kRepaintMs);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(ProgressBar2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(tmrCmStat, &QTimer::timeout, this, [this] { update(); });
}

ModalResult TFCmStatus::RunStatus(const std::string& caption, bool showCancel) {
    setWindowTitle(DisplayText(caption));
    Label1->clear();
    ProgressBar2->setRange(0, 1);
    ProgressBar2->setValue(0);
    BitBtn1->setVisible(showCancel);
    BitBtn1->setEnabled(true);
    tmrCmStat->start();
    return exec() == QDialog::Accepted ? ModalResult::OK : ModalResult::Cancel;
}

void TFCmStatus::UpdateStatus(const std::string& text, int kind, std::int64_t position,
                              std::int64_t maximum, std::int64_t /*spare*/) {
    if (!isVisible()) {
        return;
    }
    switch (kind) {
        case 0:
        case 1:
            Label1->setText(DisplayText(text));
            break;
        case 2:
            Label1->setText(DisplayText(text));
            SetBar(position, maximum);
            break;
        case 3:
            accept();
            break;
        default:
            break;
    }
}

// The bar holds int; larger counts are scaled down together so the fraction stays.
void TFCmStatus::SetBar(std::int64_t position, std::int64_t maximum) {
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    maximum = std::max<std::int64_t>(maximum, 1);
    position = std::clamp<std::int64_t>(position, 0, maximum);
    std::int64_t divisor = maximum / kIntMax + 1;
    ProgressBar2->setRange(0, static_cast<int>(maximum / divisor));
    ProgressBar2->setValue(static_cast<int>(position / divisor));
}

void TFCmStatus::showEvent(QShowEvent* event) {
    TCentredDialog::showEvent(event);
    tmrCmStat->start();
}

void TFCmStatus::hideEvent(QHideEvent* event) {
    tmrCmStat->stop();
    TCentredDialog::hideEvent(event);
}

}  // namespace vaddex::gui
