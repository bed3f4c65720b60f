#include "windows/TFOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <QFile>

namespace vaddex::gui {
namespace {

constexpr int kClientWidth = 281;
constexpr int kClientHeight = 286;

template <typename Control>
Control* Named(Control* control, const char* name, const char* hint = nullptr) {
    control->setObjectName(name);
    if (hint != nullptr) {
        control->setToolTip(hint);
    }
    return control;
}

}  // namespace

TFOptions::TFOptions(QWidget* parent) : QDialog(parent) {
    setObjectName("FOptions");
    setWindowTitle("File Options");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    BuildControls();
    setMinimumSize(kClientWidth, kClientHeight);
    rbtnTrans3_->setChecked(true);
}

void TFOptions::BuildControls() {
    auto* translate = Named(new QGroupBox("Translate Calculator Text Files"), "GroupBox1");
    rbtnTrans1_ = Named(new QRadioButton("1: No Translation"), "rbtnTrans1",
                        "Do not translate ZQ characters");
    rbtnTrans2_ = Named(new QRadioButton("2: Translate Codes 128-159"), "rbtnTrans2",
                        "Translate ZQ characters 128-159 to trigraphs or \\nnn form");
    rbtnTrans3_ = Named(new QRadioButton("3: Translate Codes 128-255"), "rbtnTrans3",
                        "Translate ZQ characters 128-255 to trigraphs or \\nnn form");
    chb031_ = Named(new QCheckBox("Translate Codes 0-31, 127 But Not LF (10)"), "chb031",
                    "Also translate codes 0 to 31, 127 to \\nnn form.  Line Feed (10) will not "
                    "be translated.");
    chbAddCR_ =
        Named(new QCheckBox("Add C/R to Line Feeds"), "chbAddCR",
              "Put a carriage return (0x0D) before each line feed, so that text files end their "
              "lines with CR LF.");
    auto* translateLayout = new QVBoxLayout(translate);
    for (QWidget* control : std::initializer_list<QWidget*>{rbtnTrans1_, rbtnTrans2_, rbtnTrans3_,
                                                            chb031_, chbAddCR_}) {
        translateLayout->addWidget(control);
    }

    auto* editorGroup = Named(new QGroupBox("Editor for Calculator Text Files"), "GroupBox2");
    edtEditor_ = Named(new QLineEdit, "edtEditor",
                       "Command line of the text editor.  Put a file path that holds spaces in "
                       "double quotes (\").");
    auto* browse = Named(new QPushButton("Browse"), "btnBrowseEditor");
    auto* editorLayout = new QHBoxLayout(editorGroup);
    editorLayout->addWidget(edtEditor_, 1);
    editorLayout->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, &TFOptions::btnBrowseEditorClick);

    auto* other = Named(new QGroupBox("Other Options"), "GroupBox3");
    chbAddExtension_ = Named(new QCheckBox("Add .zq Extension to File Names"), "chbAddExtension",
                             "Use .zq file extension for binary files");
    chbReceiveCRC_ = Named(new QCheckBox("Receive with CRC"), "chbReceiveCRC",
                           "Ask the calculator for CRC-checked blocks when getting objects");
    chbConfirmDelete_ = Named(new QCheckBox("Ask before deleting"), "chbConfirmDelete",
                              "Ask before every Delete, not only for a folder that holds items");
    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->addWidget(chbAddExtension_);
    otherLayout->addWidget(chbReceiveCRC_);
    otherLayout->addWidget(chbConfirmDelete_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(translate);
    layout->addWidget(editorGroup);
    layout->addWidget(other);
    layout->addStretch(1);
    layout->addWidget(buttons);
}

int TFOptions::TransIOFor(int button, bool addCR) {
    switch (button) {
        case 1:
            return addCR ? 1 : 0;
        case 2:
            return 2;
        case 3:
            return 3;
        default:
            return 0;
    }
}

void TFOptions::Fill(const FileOptions& options) {
    chbAddCR_->setChecked(options.transfer.addCR);
    edtEditor_->setText(QFile::decodeName(QByteArray::fromStdString(options.editor)));
    chb031_->setChecked(options.transfer.trans031);
    chbAddExtension_->setChecked(options.addExtension);
    chbReceiveCRC_->setChecked(options.transfer.receiveCRC);
    chbConfirmDelete_->setChecked(options.confirmDelete);
    if (options.transfer.transIO <= 1) {
        rbtnTrans1_->setChecked(true);
    } else if (options.transfer.transIO == 2) {
        rbtnTrans2_->setChecked(true);
    } else {
        rbtnTrans3_->setChecked(true);
    }
}

FileOptions TFOptions::Taken() const {
    FileOptions options;
    options.transfer.addCR = chbAddCR_->isChecked();
    options.editor = QFile::encodeName(edtEditor_->text()).toStdString();
    options.transfer.trans031 = chb031_->isChecked();
    options.addExtension = chbAddExtension_->isChecked();
    options.transfer.receiveCRC = chbReceiveCRC_->isChecked();
    options.confirmDelete = chbConfirmDelete_->isChecked();
    int button = rbtnTrans1_->isChecked() ? 1 : rbtnTrans2_->isChecked() ? 2 : 3;
    options.transfer.transIO = TransIOFor(button, options.transfer.addCR);
    return options;
}

bool TFOptions::ShowOptions(FileOptions& options) {
    Fill(options);
    if (exec() != QDialog::Accepted) {
        return false;
    }
    options = Taken();
    return true;
}

void TFOptions::btnBrowseEditorClick() {
    QString file =
        QFileDialog::getOpenFileName(this, "Editor Program", QDir::currentPath(), "Programs (*)");
    if (!file.isEmpty()) {
        edtEditor_->setText(file);
    }
}

}  // namespace vaddex::gui
