#pragma once

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <string>

#include "windows/TCentredDialog.h"

namespace vaddex::gui {

// The operator prompt "Set the Calculator": instructions for the calculator's keyboard before
// a manual or semi-manual operation, as a modal OK/Cancel question or as a notice that stays
// up while the program waits for the calculator; also the OK/Cancel question for long texts.
class TFDownLd : public TCentredDialog {
public:
    explicit TFDownLd(bool rpnPrompts = true, QWidget* parent = nullptr);

    // Blocks for a modal kind until the user answers (true for OK); a non-modal kind (1, 3, 4,
    // 10) stays up and returns false at once.
    bool ShowPrompt(int kind, const std::string& caption);
    // Blocks until the user answers the question in `text` (kind 0); true for OK. With
    // `cancelByDefault` Enter answers Cancel, for a question whose OK loses data.
    bool ShowTextPrompt(const std::string& text, const std::string& caption,
                        bool cancelByDefault = false);
    // Hides the window when the kind is the one shown last.
    void HidePrompt(int kind);
    // Fills the text for the kind and lays the window out for it.
    void SetPrompt(int kind);

    bool RPNPrompts() const { return rpnPrompts_; }
    void SetRPNPrompts(bool rpn);
    int CurrentPromptKind() const { return currentPromptKind_; }

    // Runs each time the window comes up, with the kind it shows.
    std::function<void(int kind)> OnShown;

    QGroupBox* grpPrompt;
    QRadioButton* rbtnALG;
    QRadioButton* rbtnRPN;
    QLabel* Memo1;
    QPushButton* btnOK;
    QPushButton* btnCancel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rbtnALGClick();
    void rbtnRPNClick();
    void PlaceButtons(bool withCancel);

    QHBoxLayout* buttonRow_;
    bool rpnPrompts_;
    int currentPromptKind_ = 0;
    bool cancelByDefault_ = false;
    QString callerText_;
};

}  // namespace vaddex::gui
