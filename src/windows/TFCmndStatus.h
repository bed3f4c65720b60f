#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// "Calculator is Working": shown while the calculator runs commands the program sent; its
// Cancel abandons the PC side of the connection.
class TFCmndStatus : public TCentredDialog {
public:
    explicit TFCmndStatus(QWidget* parent = nullptr);

    bool Cancelled() const { return cancelled_; }
    void ClearCancel() { cancelled_ = false; }

    // Runs when the window comes up (true) and goes (false), however it went.
    std::function<void(bool shown)> OnShownChanged;

    QProgressBar* Animate1;
    QPushButton* BitBtn1;
    QLabel* memPrompt;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Esc and the window's close are the Cancel button too.
    void reject() override { BitBtn1Click(); }

private:
    void BitBtn1Click();

    bool cancelled_ = false;
};

}  // namespace vaddex::gui
