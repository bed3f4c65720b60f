#include "app/FileQuestion.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace vaddex::gui {
namespace {

const QSize kOwnDialogSize(760, 460);
constexpr int kDateColumn = 3;

}  // namespace

QString AskPathInDialog(QWidget* parent, const FileQuestion& question) {
    // A person's own folder until one has been chosen, not wherever the program was started.
    QString folder = question.folder.isEmpty() ? QDir::homePath() : question.folder;
    QFileDialog dialog(parent, question.title, folder, question.filter);
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
        if (auto* details = dialog.findChild<QTreeView*>("treeView")) {
            details->header()->setSectionResizeMode(kDateColumn, QHeaderView::ResizeToContents);
        }
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
