#include "windows/TFLog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTime>
#include <QVBoxLayout>

#include "windows/DisplayText.h"

namespace vaddex::gui {

TFLog::TFLog(QWidget* parent)
    : QWidget(parent, Qt::Window), WindowPosSave1(this, QStringLiteral("LogForm")) {
    setWindowTitle("Log");
    Memo1 = new QPlainTextEdit(this);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    PopupMenu1 = new QMenu(this);
    QAction* selectAll = PopupMenu1->addAction("Select All", Memo1, &QPlainTextEdit::selectAll);
    selectAll->setShortcut(QKeySequence::SelectAll);
    QAction* copy = PopupMenu1->addAction("Copy", Memo1, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });

    btnClear = new QPushButton("Clear Log", this);
    btnOK = new QPushButton("OK", this);
    connect(btnClear, &QPushButton::clicked, Memo1, &QPlainTextEdit::clear);
    connect(btnOK, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addWidget(btnOK);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
    resize(329, 414);

    // Where the user left it last time.
    WindowPosSave1.Restore();
}

void TFLog::Append(const std::string& text) {
    Memo1->appendPlainText(DisplayText(text));
}

void TFLog::Note(const std::string& text) {
    Memo1->appendPlainText(QTime::currentTime().toString("HH:mm:ss ") + DisplayText(text));
}

void TFLog::ShowLog() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void TFLog::closeEvent(QCloseEvent* event) {
    WindowPosSave1.Save();
    QWidget::closeEvent(event);
}

}  // namespace vaddex::gui
