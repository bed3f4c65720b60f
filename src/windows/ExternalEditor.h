#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vaddex::gui {

// The text editor that "Edit as Text" runs on a file, and the wait until the user is done.
class ExternalEditor {
public:
    QString program;        // empty: no editor found
    QStringList arguments;  // before the file
    QString commandLine;    // as the user would name it, for messages

    // The editor setting is a command line (double quotes around a path with blanks); an editor
    // known to return at once without its wait option ("gedit", "gvim", "subl") gets it. With no
    // setting: $VISUAL, then $EDITOR, run inside a terminal when they are terminal editors,
    // then the desktop's text editor, started so that it waits for its window to close.
    static ExternalEditor Resolve(
        const QString& setting,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

    // Starts the editor with the file as one argument and blocks, letting window events run,
    // until it ends. False when it could not be started.
    bool RunAndWait(const QString& file) const;

private:
    // A known editor named without its wait option gets it.
    static ExternalEditor FromCommandLine(const QString& commandLine);
    static void AddWaitOption(ExternalEditor& editor);
    static ExternalEditor InTerminal(const ExternalEditor& editor,
                                     const QProcessEnvironment& environment);
    // Blocks at most a few seconds while the desktop names its default text editor.
    static ExternalEditor DesktopEditor(const QProcessEnvironment& environment);
};

}  // namespace vaddex::gui
