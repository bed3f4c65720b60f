#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// The borderless "Looking for Calculator" notice shown while a connection is being made.
// Cancel (or Escape) hides it: the connect, which watches the notice, gives up.
class TFCnctStatus : public TCentredDialog {
public:
    explicit TFCnctStatus(QWidget* parent = nullptr);

    // True once after the user pressed Cancel or Escape: a later connect starts afresh.
    bool TakeCancelled();
    // Cancel, Escape: hides the notice and notes that the user gave up.
    void reject() override;

    QProgressBar* Animate1;  // busy indicator, still while hidden
    QLabel* lblLooking;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QPoint CentreOffset() const override { return {-20, 0}; }

private:
    bool cancelled_ = false;
};

}  // namespace vaddex::gui
