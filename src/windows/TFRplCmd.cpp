#include "windows/TFRplCmd.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QTextDocument>
#include <QVBoxLayout>
#include <utility>

#include "objects/TextTranslation.h"
#include "placement/WindowFront.h"
#include "session/SessionCommands.h"
#include "util/ScopeExit.h"

namespace vaddex::gui {
namespace {

constexpr int kMinWidth = 271;
constexpr int kMinHeight = 270;
constexpr int kPanelHeight = 86;
constexpr int kHelpContext = 145000;
const char* const kSettingsGroup = "RplCmd";
const char* const kAutoStackKey = "AutoStack";

QAction* AddMenuAction(QMenu& menu, QWidget& owner, const QString& text, QKeySequence keys) {
    QAction* action = menu.addAction(text);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    owner.addAction(action);
    return action;
}

void ShowMenuOn(QWidget& widget, QMenu& menu) {
    widget.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&widget, &QWidget::customContextMenuRequested, &menu,
                     [&widget, &menu](QPoint point) { menu.popup(widget.mapToGlobal(point)); });
}

}  // namespace

const char* const TFRplCmd::kWarningText =
    "\n"
    "                      - -  WARNING  - -\n"
    "\n"
    "Some commands can disconnect the calculator or change\n"
    "the directory structure.  Be very careful!\n"
    "\n"
    "Pressing F5 can be used to refresh the main file window.\n"
    "\n"
    "Pressing ENTER, by itself, in the Command Box will\n"
    "update the stack.";

TFRplCmd::TFRplCmd(SessionCommands& commands, QWidget* parent)
    : QDialog(parent), commands_(commands) {
    setObjectName("FRplCmd");
    setWindowTitle("Calculator Commands");
    // A dialog window, so that the window manager keeps it in front of the main window.
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(kMinWidth, kMinHeight);
    setModal(false);
    BuildControls();
    BuildMenus();
    memo_->setPlainText(kWarningText);
    EnableCommands(false, false);
    WindowFront::Attach(this, parent);
    resize(WarningSize().expandedTo(minimumSize()));
}

QSize TFRplCmd::WarningSize() const {
    const QFontMetrics metrics(memo_->font());
    int widest = 0;
    const QStringList lines = QString(kWarningText).split('\n');
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    // The text's own margins and the memo's frame, on both sides; a cursor's width to spare.
    const int margins = 2 * static_cast<int>(memo_->document()->documentMargin()) +
                        2 * memo_->frameWidth() + metrics.averageCharWidth();
    const QSize text(widest + margins,
                     static_cast<int>(lines.size()) * metrics.lineSpacing() + margins);
    const QSize panel = findChild<QWidget*>("Panel1")->sizeHint();
    return {std::max(text.width(), panel.width()), text.height() + kPanelHeight};
}

void TFRplCmd::BuildControls() {
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName("Memo1");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setFocusPolicy(Qt::ClickFocus);
    memo_->setToolTip("History of commands.  Right click for menu.");
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memo_->setFont(fixed);

    auto* panel = new QWidget(this);
    panel->setObjectName("Panel1");
    panel->setFixedHeight(kPanelHeight);
    chbAutoUpdate_ = new QCheckBox("Automatically Update Stack Picture", panel);
    chbAutoUpdate_->setObjectName("chbAutoUpdate");
    chbAutoUpdate_->setToolTip("Refresh stack after every command");
    lblCmd_ = new QLabel("Command:", panel);
    lblCmd_->setObjectName("lblCmd");
    cmboCmd_ = new QComboBox(panel);
    cmboCmd_->setObjectName("cmboCmd");
    cmboCmd_->setEditable(true);
    cmboCmd_->setInsertPolicy(QComboBox::NoInsert);
    cmboCmd_->setToolTip("Type RPN command, press ENTER");
    cmboCmd_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblCmd_->setBuddy(cmboCmd_);
    btnStack_ = new QPushButton("Update Stack", panel);
    btnStack_->setObjectName("btnStack");
    btnStack_->setToolTip("Refresh the stack data");
    btnSend_ = new QPushButton("Send", panel);
    btnSend_->setObjectName("btnSend");
    btnSend_->setToolTip("Send the command to the calculator");
    btnOK_ = new QPushButton("Close", panel);
    btnOK_->setObjectName("btnOK");
    for (QPushButton* button : {btnStack_, btnSend_, btnOK_}) {
        button->setAutoDefault(false);  // Enter belongs to the command line
    }

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    // The check box has a row of its own: beside a button it is cut short at the smallest
    // width.
    grid->addWidget(chbAutoUpdate_, 0, 0, 1, 4);
    grid->addWidget(lblCmd_, 1, 0);
    grid->addWidget(cmboCmd_, 1, 1, 1, 2);
    grid->addWidget(btnSend_, 1, 3);
    grid->addWidget(btnStack_, 2, 2);
    grid->addWidget(btnOK_, 2, 3);
    grid->setColumnStretch(1, 1);

    // The help handler finds the window's topic through this context number.
    for (QWidget* control : std::initializer_list<QWidget*>{this, memo_, chbAutoUpdate_, cmboCmd_,
                                                            btnStack_, btnSend_}) {
        control->setProperty("helpContext", kHelpContext);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(memo_, 1);
    layout->addWidget(panel);

    connect(btnSend_, &QPushButton::clicked, this, &TFRplCmd::btnSendClick);
    connect(btnStack_, &QPushButton::clicked, this, &TFRplCmd::btnStackClick);
    connect(btnOK_, &QPushButton::clicked, this, &TFRplCmd::FormClose);
    // Keys reach the combo box or its line edit, depending on which holds the focus.
    cmboCmd_->installEventFilter(this);
    cmboCmd_->lineEdit()->installEventFilter(this);
}

void TFRplCmd::BuildMenus() {
    auto* memoMenu = new QMenu(memo_);
    memoMenu->setObjectName("PopupMenu1");
    connect(AddMenuAction(*memoMenu, *memo_, "Select All", QKeySequence("Ctrl+A")),
            &QAction::triggered, memo_, &QPlainTextEdit::selectAll);
    connect(AddMenuAction(*memoMenu, *memo_, "Copy", QKeySequence("Ctrl+C")), &QAction::triggered,
            memo_, &QPlainTextEdit::copy);
    ShowMenuOn(*memo_, *memoMenu);

    QLineEdit* line = cmboCmd_->lineEdit();
    auto* commandMenu = new QMenu(cmboCmd_);
    commandMenu->setObjectName("PopupMenu2");
    connect(AddMenuAction(*commandMenu, *line, "Select All", QKeySequence("Ctrl+A")),
            &QAction::triggered, line, &QLineEdit::selectAll);
    connect(AddMenuAction(*commandMenu, *line, "Cut", QKeySequence("Ctrl+X")), &QAction::triggered,
            line, &QLineEdit::cut);
    connect(AddMenuAction(*commandMenu, *line, "Copy", QKeySequence("Ctrl+C")), &QAction::triggered,
            line, &QLineEdit::copy);
    connect(AddMenuAction(*commandMenu, *line, "Paste", QKeySequence("Ctrl+V")),
            &QAction::triggered, this, &TFRplCmd::PasteIntoCommand);
    ShowMenuOn(*line, *commandMenu);
}

void TFRplCmd::FormCreate() {
    if (RestorePlacement) {
        RestorePlacement();
    }
    QSettings settings("Zenquist", "Vaddex");
    settings.beginGroup(kSettingsGroup);
    // Anything but a stored "0" keeps the default: on.
    chbAutoUpdate_->setChecked(settings.value(kAutoStackKey, "1").toString() != "0");
    memo_->setPlainText(kWarningText);
    EnableCommands(false, false);
}

void TFRplCmd::FormClose() {
    if (SavePlacement) {
        SavePlacement();
    }
    QSettings settings("Zenquist", "Vaddex");
    settings.beginGroup(kSettingsGroup);
    settings.setValue(kAutoStackKey, chbAutoUpdate_->isChecked() ? "1" : "0");
    hide();
}

void TFRplCmd::closeEvent(QCloseEvent* event) {
    event->ignore();  // hidden, never destroyed
    FormClose();
}

void TFRplCmd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The user opens the window to type a command: the first key must not tick the check box.
    cmboCmd_->setFocus();
}

void TFRplCmd::reject() {
    FormClose();
}

void TFRplCmd::EnableCommands(bool connected, bool busy) {
    bool typing = cmboCmd_->hasFocus();
    commandsEnabled_ = connected && !busy;
    btnStack_->setEnabled(commandsEnabled_);
    btnSend_->setEnabled(commandsEnabled_);
    cmboCmd_->setEnabled(commandsEnabled_);
    // Disabled while the main window works (F5 here refreshes it), the command box gives the
    // keyboard away; the user goes on typing there once it is back.
    if (typing && !commandsEnabled_) {
        typingWhenDisabled_ = true;
    } else if (commandsEnabled_ && std::exchange(typingWhenDisabled_, false) && isActiveWindow()) {
        cmboCmd_->setFocus();
    }
}

bool TFRplCmd::AutoUpdate() const {
    return chbAutoUpdate_->isChecked();
}

bool TFRplCmd::MayRun() {
    if (!commandsEnabled_) {
        commands_.Ui().Beep();
        return false;
    }
    return true;
}

void TFRplCmd::ReportError(const std::exception& error) {
    std::string text = error.what();
    if (!text.empty() && text.back() != '.') {
        text += '.';
    }
    commands_.Ui().ShowMessage("Vaddex", text);
}

void TFRplCmd::btnSendClick() {
    if (!MayRun()) {
        return;
    }
    QString text = cmboCmd_->currentText();
    UiBridge& ui = commands_.Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] {
        ui.SetBusy(false);
        TakeBackFocus(cmboCmd_);
    });
    try {
        if (text.isEmpty()) {
            UpdateStack();  // an empty Enter refreshes the stack
            return;
        }
        // Typed symbols such as the arrow or the comparison signs go as the calculator's own.
        if (Outcome ran = commands_.RunCalculatorCommand(Utf8ToCalc(text.toUtf8().toStdString()));
            !ran) {
            throw LinkError(ran.message);
        }
        AddToHistory(*cmboCmd_, text);
        if (chbAutoUpdate_->isChecked()) {
            UpdateStack();
        }
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

void TFRplCmd::btnStackClick() {
    if (!MayRun()) {
        return;
    }
    UiBridge& ui = commands_.Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] {
        ui.SetBusy(false);
        TakeBackFocus(btnStack_);
    });
    try {
        UpdateStack();
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

void TFRplCmd::TakeBackFocus(QWidget* control) {
    // The stack is read with the progress window, which belongs to the main window; when it
    // closes, a window manager may give the focus back to its owner. The user types here.
    if (isVisible()) {
        raise();
        activateWindow();
    }
    control->setFocus();
}

void TFRplCmd::UpdateStack() {
    std::vector<std::string> lines;
    if (Outcome read = commands_.ReadStack(lines); !read) {
        throw LinkError(read.message);
    }
    memo_->setPlainText(StackPictureText(lines));
}

void TFRplCmd::AddToHistory(QComboBox& history, const QString& text) {
    if (!text.isEmpty()) {
        for (int i = history.count() - 1; i >= 0; --i) {
            if (history.itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
                history.removeItem(i);
            }
        }
        history.insertItem(0, text);
    }
    history.setEditText(QString());
}

QString TFRplCmd::StackPictureText(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines) {
        texts << QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    }
    return texts.join('\n');
}

void TFRplCmd::PasteIntoCommand() {
    QString text = QGuiApplication::clipboard()->text().left(kMaxPasteChars);
    cmboCmd_->lineEdit()->insert(text);
}

bool TFRplCmd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (!commandsEnabled_) {
        commands_.Ui().Beep();
        return true;
    }
    // The line edit would paste by itself, without the length limit.
    if (key->matches(QKeySequence::Paste)) {
        PasteIntoCommand();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        btnSendClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vaddex::gui
