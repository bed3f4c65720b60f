#include "app/FileQuestion.h"

#include <QFileDialog>

namespace vaddex::gui {
namespace {

const QSize kOwnDialogSize(760, 460);

}  // namespace

QString AskPathInDialog(QWidget* parent, const FileQuestion& question) {
    QFileDialog dialog(parent, question.title, question.folder, question.filter);
    dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(question.defaultSuffix);
    // The native dialog comes through the desktop portal on the session bus; without a bus
    // Qt's own dialog is the one that works.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        // Room for the date column, which Qt's own dialog otherwise cuts short.
        dialog.resize(kOwnDialogSize);
    }
    if (!question.proposedName.isEmpty()) {
        dialog.selectFile(question.proposedName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

}  // namespace vaddex::gui
