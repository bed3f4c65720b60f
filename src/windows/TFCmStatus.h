#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cstdint>
#include <string>

#include "session/ModalResult.h"
#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// The progress window of a transfer: the thread's text, a bar and Cancel. Its reports are
// not logged: the log keeps what the operation did and how it ended, not its figures.
class TFCmStatus : public TCentredDialog {
public:
    explicit TFCmStatus(QWidget* parent = nullptr);

    // Blocks in the window's modal loop until a kind-3 report closes it (OK) or the user
    // cancels or closes it (Cancel); reports posted by threads run meanwhile.
    ModalResult RunStatus(const std::string& caption, bool showCancel);
    // One report: kinds 0 and 1 show the text, 2 also sets the bar, 3 closes the window with
    // OK. Ignored while the window is not showing.
    void UpdateStatus(const std::string& text, int kind, std::int64_t position,
                      std::int64_t maximum, std::int64_t spare);

    QLabel* Label1;
    QProgressBar* ProgressBar2;
    QPushButton* BitBtn1;
    QTimer* tmrCmStat;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetBar(std::int64_t position, std::int64_t maximum);
};

}  // namespace vaddex::gui
