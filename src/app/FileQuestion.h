#pragma once

#include <QString>

class QWidget;

namespace vaddex::gui {

// What a command asks of the file dialog: open an existing file or name one to save.
struct FileQuestion {
    bool save = false;
    QString title;
    QString filter;         // Qt form: "ZQ Files (*.zq *.ZQ);;All Files (*)"
    QString folder;         // where the dialog opens; empty: the home folder
    QString proposedName;   // the name offered in a save dialog
    QString defaultSuffix;  // added to a saved name typed without extension, without the "."
};

// Blocks until the user has chosen a path in a file dialog over `parent`; empty when the
// dialog was cancelled. A save dialog asks before overwriting. Qt's own dialog is used where
// no desktop session could supply the native one.
QString AskPathInDialog(QWidget* parent, const FileQuestion& question);

}  // namespace vaddex::gui
