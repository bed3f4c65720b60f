#include "windows/TVersionLabel.h"

#include "util/VersionText.h"

namespace vaddex::gui {

TVersionLabel::TVersionLabel(QWidget* parent) : QLabel(parent) {}

void TVersionLabel::SetCaption(const QString& caption) {
    caption_ = caption;
    setText(caption + QString::fromStdString(VersionText()));
}

}  // namespace vaddex::gui
