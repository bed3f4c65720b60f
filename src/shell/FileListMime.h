#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <vector>

class QMimeData;

namespace vaddex::gui {

// The file lists the desktop's file managers exchange: "text/uri-list" of file:// URLs for
// drags and the clipboard, and on the clipboard the copy-or-cut marks they read.
namespace FileListMime {

inline const QString kUriList = QStringLiteral("text/uri-list");
inline const QString kGnomeCopiedFiles = QStringLiteral("x-special/gnome-copied-files");
inline const QString kKdeCutSelection = QStringLiteral("application/x-kde-cutselection");

// PC paths are bytes; the file system's own name encoding turns them into URLs and back.
QString PathToQString(const std::string& path);
std::string QStringToPath(const QString& path);

// "file:///a/b\r\nfile:///c\r\n" with every byte that a URL may not hold percent-encoded.
QByteArray UriList(const std::vector<std::string>& paths);

// The local files the data offers, in order: from "text/uri-list", else from the
// "x-special/gnome-copied-files" list; URLs that are not local files are left out.
std::vector<std::string> LocalFiles(const QMimeData& data);

// Whether the data announces a file list (its formats only: the data itself is not read).
bool OffersFiles(const QMimeData& data);

// Whether the data marks its files as cut (to be moved) rather than copied.
bool IsCut(const QMimeData& data);

// The local files the clipboard offers now (none when it holds no file list).
std::vector<std::string> ClipboardFiles();

// Fills `data` with the files as a clipboard copy: the URI list and both copy marks.
// `cut`: marked as cut, so that a file manager's Paste moves the files.
void PutCopiedFiles(QMimeData& data, const std::vector<std::string>& paths, bool cut = false);

}  // namespace FileListMime

}  // namespace vaddex::gui
