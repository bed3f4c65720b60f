#include "windows/TFLog.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>
#include <QTextCursor>
#include <QTime>
#include <QVBoxLayout>

#include "windows/DisplayText.h"

namespace vaddex::gui {
namespace {

constexpr const char* kDefaultLogName = "vaddex-log.txt";

// A text on one line: the line breaks of a message become blanks.
QString OneLine(const std::string& text) {
    QString line = DisplayText(text).trimmed();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

// The message the way a message box shows it: a closing full stop makes no difference.
QString WithoutFullStop(QString text) {
    while (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    return text;
}

}  // namespace

TFLog::TFLog(QWidget* parent)
    : QWidget(parent, Qt::Window), WindowPosSave1(this, QStringLiteral("LogForm")) {
    setWindowTitle("Log");
    Memo1 = new QPlainTextEdit(this);
    // What happened stays as it happened: the user reads, copies and saves it.
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    PopupMenu1 = new QMenu(this);
    QAction* selectAll = PopupMenu1->addAction("Select All", Memo1, &QPlainTextEdit::selectAll);
    selectAll->setShortcut(QKeySequence::SelectAll);
    QAction* copy = PopupMenu1->addAction("Copy", Memo1, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    QAction* save = PopupMenu1->addAction("Save As...", this, &TFLog::btnSaveClick);
    save->setShortcut(QKeySequence::Save);
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });

    btnClear = new QPushButton("Clear Log", this);
    btnSave = new QPushButton("&Save As...", this);
    btnOK = new QPushButton("OK", this);
    connect(btnClear, &QPushButton::clicked, this, [this] {
        Memo1->clear();
        lastFailure_.clear();
    });
    connect(btnSave, &QPushButton::clicked, this, &TFLog::btnSaveClick);
    connect(btnOK, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto* saveKey = new QShortcut(QKeySequence::Save, this);
    connect(saveKey, &QShortcut::activated, this, &TFLog::btnSaveClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClear);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnOK);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
    resize(560, 414);  // room for a line with a file's path

    // Where the user left it last time.
    WindowPosSave1.Restore();
}

QString TFLog::OperationLine(const std::string& what, const Outcome& outcome) {
    QString line = OneLine(what) + ": ";
    QString message = OneLine(outcome.message);
    if (outcome.IsDone()) {
        return line + "done";
    }
    if (outcome.IsCancelled()) {
        return line + "cancelled";
    }
    if (outcome.IsDeclined()) {
        return line + "not done" + (message.isEmpty() ? QString() : ", " + message);
    }
    return line + "failed, " + (message.isEmpty() ? QString(KindName(outcome.kind)) : message);
}

void TFLog::Operation(const std::string& what, const Outcome& outcome) {
    AddLine(OperationLine(what, outcome));
    lastFailure_ = outcome.IsFailed() ? WithoutFullStop(OneLine(outcome.message)) : QString();
}

void TFLog::Note(const std::string& text) {
    QString line = OneLine(text);
    if (!lastFailure_.isEmpty() && WithoutFullStop(line) == lastFailure_) {
        lastFailure_.clear();
        return;
    }
    AddLine(line);
}

void TFLog::AddLine(const QString& line) {
    Memo1->appendPlainText(QTime::currentTime().toString("HH:mm:ss ") + line);
    // The new line is shown from its time on, not scrolled to its end.
    QTextCursor start = Memo1->textCursor();
    start.movePosition(QTextCursor::End);
    start.movePosition(QTextCursor::StartOfBlock);
    Memo1->setTextCursor(start);
    Memo1->horizontalScrollBar()->setValue(0);
}

bool TFLog::SaveTo(const QString& path, QString& error) const {
    QSaveFile file(path);
    QByteArray text = Text().toUtf8();
    if (!text.isEmpty()) {
        text += '\n';
    }
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void TFLog::btnSaveClick() {
    QString path =
        QFileDialog::getSaveFileName(this, "Save Log", QDir::home().filePath(kDefaultLogName),
                                     "Text files (*.txt);;All files (*)");
    if (path.isEmpty()) {
        return;
    }
    if (QString error; !SaveTo(path, error)) {
        QMessageBox::critical(this, "Log Not Saved", path + "\n\n" + error);
    }
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
