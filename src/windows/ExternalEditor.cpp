#include "windows/ExternalEditor.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

namespace vaddex::gui {
namespace {

// Editors that need a terminal to draw in.
const QStringList kTerminalEditors = {"vi", "vim",    "nvim",  "nano", "pico", "joe", "jed",
                                      "ne", "mcedit", "micro", "kak",  "hx",   "ed",  "mg"};

struct KnownProgram {
    const char* name;
    QStringList waitArguments;   // what keeps it running until its window closes
    const char* desktopId = "";  // part of its desktop file id, lower case
};

// Terminals and how each runs a command and stays until the command ends.
const KnownProgram kTerminals[] = {
    {"gnome-terminal", {"--wait", "--"}},
    {"konsole", {"--nofork", "-e"}},
    {"xfce4-terminal", {"--disable-server", "-x"}},
    {"mate-terminal", {"--disable-factory", "-x"}},
    {"x-terminal-emulator", {"-e"}},
    {"xterm", {"-e"}},
};

// Desktop text editors, each with what makes it wait.
const KnownProgram kDesktopEditors[] = {
    {"gnome-text-editor", {"--standalone"}, "texteditor"},
    {"gedit", {"--wait"}, "gedit"},
    {"kate", {"--block"}, "kate"},
    {"kwrite", {}, "kwrite"},
    {"mousepad", {"--disable-server"}, "mousepad"},
    {"xed", {"--wait"}, "xed"},
    {"pluma", {}, "pluma"},
    {"featherpad", {"--standalone"}, "featherpad"},
    {"leafpad", {}, "leafpad"},
    {"code", {"--wait", "--new-window"}, "code"},
};

// Editors a user may name in the setting, with the option that makes each wait for its
// window to close; without it they hand the file to a running instance and return at once.
const KnownProgram kWaitOptions[] = {
    {"gedit", {"--wait"}},
    {"xed", {"--wait"}},
    {"code", {"--wait"}},
    {"codium", {"--wait"}},
    {"atom", {"--wait"}},
    {"kate", {"--block"}},
    {"gvim", {"-f"}},
    {"mvim", {"-f"}},
    {"subl", {"-w"}},
    {"mate", {"-w"}},
    {"bbedit", {"-w"}},
    {"geany", {"-i"}},
    {"mousepad", {"--disable-server"}},
    {"gnome-text-editor", {"--standalone"}},
    {"featherpad", {"--standalone"}},
};

// How long the desktop may take to name its default editor.
constexpr int kDesktopQueryMs = 3000;

QString Find(const QString& name, const QProcessEnvironment& environment) {
    QStringList paths = environment.value("PATH").split(':', Qt::SkipEmptyParts);
    return QStandardPaths::findExecutable(name, paths);
}

bool IsTerminalEditor(const ExternalEditor& editor) {
    QString name = QFileInfo(editor.program).fileName();
    if (name == "emacs") {
        return editor.arguments.contains("-nw");
    }
    return kTerminalEditors.contains(name);
}

}  // namespace

ExternalEditor ExternalEditor::FromCommandLine(const QString& commandLine) {
    ExternalEditor editor;
    QStringList parts = QProcess::splitCommand(commandLine);
    if (!parts.isEmpty()) {
        editor.program = parts.takeFirst();
        editor.arguments = parts;
    }
    editor.commandLine = commandLine;
    AddWaitOption(editor);
    return editor;
}

void ExternalEditor::AddWaitOption(ExternalEditor& editor) {
    QString name = QFileInfo(editor.program).fileName();
    for (const KnownProgram& known : kWaitOptions) {
        if (name != known.name) {
            continue;
        }
        bool given = std::any_of(known.waitArguments.begin(), known.waitArguments.end(),
                                 [&](const QString& a) { return editor.arguments.contains(a); });
        if (!given) {
            editor.arguments = known.waitArguments + editor.arguments;
        }
        return;
    }
}

ExternalEditor ExternalEditor::InTerminal(const ExternalEditor& editor,
                                          const QProcessEnvironment& environment) {
    QString chosen = environment.value("TERMINAL");
    QStringList candidates;
    if (!chosen.isEmpty()) {
        candidates << chosen;
    }
    for (const KnownProgram& terminal : kTerminals) {
        candidates << terminal.name;
    }
    for (const QString& candidate : candidates) {
        QString path = Find(candidate, environment);
        if (path.isEmpty()) {
            continue;
        }
        // A link such as x-terminal-emulator is judged by the terminal it names.
        QString real = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
        QStringList waitArguments = {"-e"};
        for (const KnownProgram& terminal : kTerminals) {
            if (real == terminal.name || candidate == terminal.name) {
                waitArguments = terminal.waitArguments;
                if (real == terminal.name) {
                    break;
                }
            }
        }
        ExternalEditor wrapped;
        wrapped.program = path;
        wrapped.arguments = waitArguments;
        wrapped.arguments << editor.program << editor.arguments;
        wrapped.commandLine = editor.commandLine;
        return wrapped;
    }
    return {};
}

// The desktop file id of the user's default text editor ("org.kde.kate.desktop"), lower case;
// empty when the desktop cannot tell.
QString DefaultTextEditorId(const QProcessEnvironment& environment) {
    QString query = Find("xdg-mime", environment);
    if (query.isEmpty()) {
        return {};
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(query, {"query", "default", "text/plain"});
    if (!process.waitForFinished(kDesktopQueryMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed().toLower();
}

ExternalEditor ExternalEditor::DesktopEditor(const QProcessEnvironment& environment) {
    // The user's default first, if it is one we know how to wait for; then any we find.
    QString defaultId = DefaultTextEditorId(environment);
    std::vector<const KnownProgram*> order;
    for (const KnownProgram& known : kDesktopEditors) {
        if (!defaultId.isEmpty() && defaultId.contains(known.desktopId)) {
            order.insert(order.begin(), &known);
        } else {
            order.push_back(&known);
        }
    }
    for (const KnownProgram* known : order) {
        QString path = Find(known->name, environment);
        if (!path.isEmpty()) {
            ExternalEditor editor;
            editor.program = path;
            editor.arguments = known->waitArguments;
            editor.commandLine = known->name;
            return editor;
        }
    }
    return {};
}

ExternalEditor ExternalEditor::Resolve(const QString& setting,
                                       const QProcessEnvironment& environment) {
    if (!setting.trimmed().isEmpty()) {
        return FromCommandLine(setting);
    }
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        QString value = environment.value(variable).trimmed();
        if (value.isEmpty()) {
            continue;
        }
        ExternalEditor editor = FromCommandLine(value);
        if (!IsTerminalEditor(editor)) {
            return editor;
        }
        if (ExternalEditor wrapped = InTerminal(editor, environment); !wrapped.program.isEmpty()) {
            return wrapped;
        }
    }
    ExternalEditor desktop = DesktopEditor(environment);
    if (desktop.program.isEmpty()) {
        desktop.commandLine = "none set, and no $VISUAL, $EDITOR or desktop text editor found";
    }
    return desktop;
}

bool ExternalEditor::RunAndWait(const QString& file) const {
    if (program.isEmpty()) {
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(QStringList(arguments) << file);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop,
                     [&loop](QProcess::ProcessError) { loop.quit(); });
    process.start();
    if (!process.waitForStarted()) {
        return false;
    }
    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return true;
}

}  // namespace vaddex::gui
