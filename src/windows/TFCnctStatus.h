#pragma once

#include <QLabel>
#include <QProgressBar>

#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// The borderless "Looking for Calculator" notice shown while a connection is being made.
class TFCnctStatus : public TCentredDialog {
public:
    explicit TFCnctStatus(QWidget* parent = nullptr);

    QProgressBar* Animate1;  // busy indicator, still while hidden
    QLabel* lblLooking;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QPoint CentreOffset() const override { return {-20, 0}; }
};

}  // namespace vaddex::gui
