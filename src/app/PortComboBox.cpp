#include "app/PortComboBox.h"

namespace vaddex::gui {

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // A typed path selects nothing new in the list; it stays the selector's text.
    setInsertPolicy(QComboBox::NoInsert);
}

void PortComboBox::showPopup() {
    emit aboutToShowPopup();
    QComboBox::showPopup();
}

}  // namespace vaddex::gui
