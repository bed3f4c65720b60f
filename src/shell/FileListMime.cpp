#include "shell/FileListMime.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace vaddex::gui::FileListMime {

QString PathToQString(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string QStringToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QByteArray UriList(const std::vector<std::string>& paths) {
    QByteArray list;
    for (const std::string& path : paths) {
        list += QUrl::fromLocalFile(PathToQString(path)).toEncoded();
        list += "\r\n";
    }
    return list;
}

namespace {

std::vector<std::string> FilesOfUrlLines(const QList<QByteArray>& lines) {
    std::vector<std::string> files;
    for (const QByteArray& line : lines) {
        QByteArray text = line.trimmed();
        if (text.isEmpty() || text.startsWith('#')) {
            continue;  // comments are allowed in a URI list
        }
        QUrl url = QUrl::fromEncoded(text);
        if (url.isLocalFile()) {
            files.push_back(QStringToPath(url.toLocalFile()));
        }
    }
    return files;
}

}  // namespace

std::vector<std::string> LocalFiles(const QMimeData& data) {
    if (data.hasFormat(kUriList)) {
        return FilesOfUrlLines(data.data(kUriList).split('\n'));
    }
    if (data.hasFormat(kGnomeCopiedFiles)) {
        QList<QByteArray> lines = data.data(kGnomeCopiedFiles).split('\n');
        if (!lines.isEmpty()) {
            lines.removeFirst();  // "copy" or "cut"
        }
        return FilesOfUrlLines(lines);
    }
    return {};
}

bool OffersFiles(const QMimeData& data) {
    return data.hasFormat(kUriList) || data.hasFormat(kGnomeCopiedFiles);
}

bool IsCut(const QMimeData& data) {
    if (data.hasFormat(kGnomeCopiedFiles)) {
        return data.data(kGnomeCopiedFiles).split('\n').value(0).trimmed() == "cut";
    }
    return data.hasFormat(kKdeCutSelection) && data.data(kKdeCutSelection).startsWith('1');
}

std::vector<std::string> ClipboardFiles() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data ? LocalFiles(*data) : std::vector<std::string>{};
}

void PutCopiedFiles(QMimeData& data, const std::vector<std::string>& paths, bool cut) {
    QByteArray list = UriList(paths);
    data.setData(kUriList, list);
    QByteArray gnome = cut ? "cut" : "copy";
    for (const QByteArray& url : list.split('\n')) {
        if (!url.trimmed().isEmpty()) {
            gnome += "\n" + url.trimmed();
        }
    }
    data.setData(kGnomeCopiedFiles, gnome);
    data.setData(kKdeCutSelection, cut ? "1" : "0");
}

}  // namespace vaddex::gui::FileListMime
