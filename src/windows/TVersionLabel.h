#pragma once

#include <QLabel>

namespace vaddex::gui {

// A label that shows its caption followed by the program's version text.
class TVersionLabel : public QLabel {
    Q_OBJECT
public:
    explicit TVersionLabel(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    const QString& Caption() const { return caption_; }

private:
    QString caption_;
};

}  // namespace vaddex::gui
