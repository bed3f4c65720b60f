#include "windows/TFProperty.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace vaddex::gui {
namespace {

constexpr int kClientWidth = 331;
constexpr int kClientHeight = 137;
constexpr std::int64_t kMinimumSeconds = 2;
constexpr std::int64_t kBytesPerKilobyte = 1024;

}  // namespace

TFProperty::TFProperty(QWidget* parent) : QDialog(parent) {
    setObjectName("FProperty");
    setWindowTitle("Properties");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* label1 = new QLabel("File name(s)");
    ListBox1_ = new QListWidget;
    ListBox1_->setObjectName("ListBox1");
    label1->setBuddy(ListBox1_);
    auto* label2 = new QLabel("Total File size");
    size_ = new QLabel;
    size_->setObjectName("Size");
    auto* label3 = new QLabel("Estimated download time");
    time_ = new QLabel;
    time_->setObjectName("Time");
    auto* close = new QPushButton("Close");
    close->setObjectName("Button1");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* figures = new QGridLayout;
    figures->addWidget(label2, 0, 0);
    figures->addWidget(size_, 0, 1, Qt::AlignRight);
    figures->addWidget(label3, 1, 0);
    figures->addWidget(time_, 1, 1, Qt::AlignRight);
    figures->setHorizontalSpacing(16);
    figures->setRowStretch(2, 1);
    figures->addWidget(close, 3, 1, Qt::AlignRight);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0);
    grid->addWidget(ListBox1_, 1, 0);
    grid->addLayout(figures, 1, 1);
    grid->setColumnStretch(0, 1);
    ListBox1_->setMaximumHeight(fontMetrics().height() * 6);
    setMinimumSize(kClientWidth, kClientHeight);
}

std::int64_t TFProperty::TransferSeconds(std::int64_t totalBytes, std::int64_t speed,
                                         bool wholeCalculator) {
    if (speed <= 0) {
        return 0;
    }
    std::int64_t seconds = (totalBytes * 125) / (speed * 10);
    return wholeCalculator ? seconds * 2 : seconds;
}

QString TFProperty::SizeText(std::int64_t totalBytes) {
    if (totalBytes <= kBytesPerKilobyte) {
        return QString::number(totalBytes) + " B";
    }
    return QString::number(totalBytes / kBytesPerKilobyte) + " KB";
}

QString TFProperty::TimeText(std::int64_t seconds) {
    seconds = std::max(seconds, kMinimumSeconds);
    return QString::number(seconds / 60) + "min : " + QString::number(seconds % 60) + "s";
}

void TFProperty::Fill(const std::string& names, std::int64_t totalBytes, std::int64_t seconds) {
    ListBox1_->clear();
    QString text = QString::fromLatin1(names.data(), static_cast<qsizetype>(names.size()));
    if (text.endsWith('\n')) {
        text.chop(1);
    }
    ListBox1_->addItems(text.split('\n'));
    size_->setText(SizeText(totalBytes));
    time_->setText(TimeText(seconds));
}

void TFProperty::ShowProperties(const std::string& names, std::int64_t totalBytes,
                                std::int64_t seconds) {
    Fill(names, totalBytes, seconds);
    exec();
}

}  // namespace vaddex::gui
