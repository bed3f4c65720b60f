#include "shell/TFileSource.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QWidget>

#include "shell/FileListMime.h"

namespace vaddex::gui {

TFileSource::TFileSource(QObject* parent) : QObject(parent) {}

TFileSourceData* TFileSource::MakeDragData() const {
    return new TFileSourceData(Files, OnDrop);
}

bool TFileSource::StartDrag(QWidget* dragSource) {
    if (Files.empty()) {
        return false;
    }
    // QDrag owns the data and is itself owned by the source widget until the drag ends.
    auto* drag = new QDrag(dragSource);
    drag->setMimeData(MakeDragData());
    Qt::DropAction result = drag->exec(Qt::CopyAction, Qt::CopyAction);
    return result == Qt::CopyAction;
}

void TFileSource::CopyFilesToClipboard(bool cut) const {
    if (Files.empty()) {
        return;
    }
    auto* data = new QMimeData;  // the clipboard takes ownership
    FileListMime::PutCopiedFiles(*data, Files, cut);
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace vaddex::gui
