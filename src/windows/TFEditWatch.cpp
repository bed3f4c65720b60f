#include "windows/TFEditWatch.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLabel>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include "util/FileIo.h"

namespace vaddex::gui {
namespace {

// How soon a change found while the calculator was busy is tried again.
constexpr int kRetryMs = 500;

}  // namespace

TFEditWatch::TFEditWatch(const std::string& file, const std::string& itemName,
                         std::function<bool(const std::string& file)> send,
                         std::function<bool()> canSend, QWidget* parent)
    : QDialog(parent),
      file_(file),
      send_(std::move(send)),
      canSend_(std::move(canSend)),
      watcher_(new QFileSystemWatcher(this)),
      retry_(new QTimer(this)) {
    setObjectName("FEditWatch");
    setWindowTitle("Editing " + QString::fromLatin1(itemName));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    ReadWholeFile(file_, lastContent_);

    auto* text = new QLabel(
        "The editor returned before you were done.\n"
        "Each time you save the file in the editor, it is sent to the calculator.\n"
        "Close this window when you have finished editing.\n\n" +
            QFile::decodeName(QByteArray::fromStdString(file_)),
        this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    state_ = new QLabel("No change sent yet.", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(state_);
    layout->addWidget(buttons);

    retry_->setSingleShot(true);
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, &TFEditWatch::FileChanged);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &TFEditWatch::FileChanged);
    // Editors that save by writing a new file and renaming it over the old one end the watch
    // of the old file: the folder tells when the new one appears.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &TFEditWatch::FileChanged);
    Watch();
}

TFEditWatch::~TFEditWatch() {
    DeleteFileIfExists(file_);
}

void TFEditWatch::Watch() {
    QString path = QFile::decodeName(QByteArray::fromStdString(file_));
    if (!watcher_->files().contains(path) && QFile::exists(path)) {
        watcher_->addPath(path);
    }
    QString folder = path.left(path.lastIndexOf('/'));
    if (!folder.isEmpty() && !watcher_->directories().contains(folder)) {
        watcher_->addPath(folder);
    }
}

void TFEditWatch::FileChanged() {
    Watch();
    std::string content;
    if (!ReadWholeFile(file_, content) || content == lastContent_) {
        return;  // gone for a moment while saved, or touched without a change
    }
    if (!canSend_()) {
        retry_->start();
        return;
    }
    if (send_(file_)) {
        lastContent_ = content;
        ++sent_;
        state_->setText("Last change sent at " + QTime::currentTime().toString("HH:mm:ss") + ".");
    } else {
        // Not sent: the next save tries again.
        state_->setText("The last change could not be sent.");
    }
}

}  // namespace vaddex::gui
