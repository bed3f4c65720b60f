#include "windows/DisplayText.h"

#include <QStringDecoder>

namespace vaddex::gui {

QString DisplayText(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text =
        decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) {
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace vaddex::gui
