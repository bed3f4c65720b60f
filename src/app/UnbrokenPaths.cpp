#include "app/UnbrokenPaths.h"

#include <QStringList>

namespace vaddex::gui {

QString UnbrokenPathsText(const std::string& message) {
    QString text = QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size()));
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    QStringList lines;
    for (const QString& line : text.split('\n')) {
        QStringList words;
        for (const QString& word : line.split(' ')) {
            QString escaped = word.toHtmlEscaped();
            // Text layout may break after a '/', which splits "/dev/ttyUSB0" in two.
            words << (word.contains('/') ? "<nobr>" + escaped + "</nobr>" : escaped);
        }
        lines << words.join(' ');
    }
    return lines.join("<br>");
}

}  // namespace vaddex::gui
