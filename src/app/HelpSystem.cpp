#include "app/HelpSystem.h"

#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTextStream>
#include <QWhatsThis>
#include <QWidget>

#include "app/HelpWindow.h"
#include "util/AppPaths.h"

namespace vaddex::gui {
namespace {

constexpr int kTopicModulo = 10000;
constexpr int kFirstTopic = 5000;

QString HelpFolder() {
    return QString::fromStdString(DataFolder()) + "help/";
}

int ContextOf(const QWidget* widget) {
    for (; widget != nullptr; widget = widget->parentWidget()) {
        bool ok = false;
        int context = widget->property("helpContext").toInt(&ok);
        if (ok && context > 1) {
            return context;
        }
    }
    return 0;
}

void MarkHint(QWidget* widget) {
    int context = widget->property("helpContext").toInt();
    QString hint = widget->toolTip();
    if (context <= 1 || hint.isEmpty() || hint.startsWith('?')) {
        return;
    }
    QString prefix = context % kTopicModulo < kFirstTopic ? "? " : "?* ";
    // The mark belongs to the tooltip that F1 answers; the status bar shows the plain hint.
    widget->setToolTip(prefix + hint);
}

}  // namespace

void ShowHelpTopic(QWidget* parent, int context) {
    static QPointer<HelpWindow> window;
    if (window == nullptr) {
        window = new HelpWindow(HelpFolder(), parent);
    }
    window->ShowPage(context == 0 ? "index.html" : QString::number(context) + ".html");
}

QString PopupText(int context) {
    QFile file(HelpFolder() + "cshelp.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    // Lines "number text"; '#' starts a comment line.
    QTextStream in(&file);
    const QString key = QString::number(context) + ' ';
    while (!in.atEnd()) {
        QString line = in.readLine();
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed();
        }
    }
    return {};
}

void ShowContextHelp(QWidget* parent, const QPoint& point, int context) {
    if (context % kTopicModulo >= kFirstTopic) {
        ShowHelpTopic(parent, context);
        return;
    }
    QString text;
    if (context > 1) {
        text = PopupText(context);
    } else if (QWidget* focus = QApplication::focusWidget()) {
        text = focus->toolTip();
    }
    if (!text.isEmpty()) {
        QWhatsThis::showText(point, text, parent);
    }
}

void MarkHelpHints(QObject* root) {
    if (auto* widget = qobject_cast<QWidget*>(root)) {
        MarkHint(widget);
    }
    for (QObject* child : root->children()) {
        MarkHelpHints(child);
    }
}

bool HelpHandler::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr) {
        return false;
    }
    if (event->type() == QEvent::WhatsThis) {
        int context = ContextOf(widget);
        if (context > 0) {
            ShowContextHelp(widget->window(), static_cast<QHelpEvent*>(event)->globalPos(),
                            context);
            return true;
        }
    } else if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // F1 is also the shortcut of Help > Contents: a control with a topic of its own
        // claims the key first, so the contents open only where no topic applies.
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier || !widget->hasFocus()) {
            return false;
        }
        const int context = ContextOf(widget);
        if (event->type() == QEvent::ShortcutOverride) {
            if (context == 0) {
                return false;
            }
            event->accept();
            return true;
        }
        ShowContextHelp(widget->window(), widget->mapToGlobal(widget->rect().center()), context);
        return true;
    }
    return false;
}

}  // namespace vaddex::gui
