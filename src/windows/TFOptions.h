#pragma once

#include <QDialog>
#include <string>

#include "session/TransferOptions.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace vaddex::gui {

// The main window's file-transfer settings that the options dialog edits.
struct FileOptions {
    TransferOptions transfer;
    std::string editor;  // command line of the text editor; empty: the default one
    bool addExtension = true;
    bool confirmDelete = false;  // Delete asks every time
};

// "File Options": text translation, line ends, the editor command line and the file
// extension. The settings change only when the user presses OK.
class TFOptions : public QDialog {
    Q_OBJECT
public:
    explicit TFOptions(QWidget* parent = nullptr);

    // Shows the dialog modally on `options`; true (and `options` changed) when OK was pressed.
    bool ShowOptions(FileOptions& options);

    // The controls show `options`.
    void Fill(const FileOptions& options);
    // What OK stores: the controls' state.
    FileOptions Taken() const;

    // The translation mode for a radio button (1..3): button 1 stores 1 only together with
    // "Add C/R", else 0.
    static int TransIOFor(int button, bool addCR);

private:
    QRadioButton* rbtnTrans1_ = nullptr;
    QRadioButton* rbtnTrans2_ = nullptr;
    QRadioButton* rbtnTrans3_ = nullptr;
    QCheckBox* chb031_ = nullptr;
    QCheckBox* chbAddCR_ = nullptr;
    QLineEdit* edtEditor_ = nullptr;
    QCheckBox* chbAddExtension_ = nullptr;
    QCheckBox* chbReceiveCRC_ = nullptr;
    QCheckBox* chbConfirmDelete_ = nullptr;

    void BuildControls();
    void btnBrowseEditorClick();
};

}  // namespace vaddex::gui
