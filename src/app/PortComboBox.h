#pragma once

#include <QComboBox>

namespace vaddex::gui {

// The port selector: lists the ports and takes a typed device path; it says when its list is
// about to drop down, so the list can be refreshed first.
class PortComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit PortComboBox(QWidget* parent = nullptr);
    void showPopup() override;

signals:
    void aboutToShowPopup();
};

}  // namespace vaddex::gui
