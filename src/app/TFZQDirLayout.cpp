// The main window's furniture: tool bar, panes, status bar, columns, and the settings that
// shape them.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolBar>
#include <QTreeView>
#include <algorithm>
#include <string>
#include <vector>

#include "app/CalculatorItemModel.h"
#include "app/ItemSortProxy.h"
#include "app/PortComboBox.h"
#include "app/RenameDelegate.h"
#include "app/TFZQDir.h"
#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "shell/ItemRef.h"

namespace vaddex::gui {
namespace {

constexpr int kTreeIndent = 19;
constexpr int kSplitterWidth = 8;
constexpr int kLargeIconSize = 32;
constexpr int kSmallIconSize = 16;
// Wide enough for a device path such as /dev/ttyUSB0 or a pseudo-terminal.
constexpr int kPortChars = 14;
// What the selectors keep at the window's smallest width (400 pixels).
constexpr int kNarrowPortWidth = 62;
// The speed is never cut short: "11520" would read as another speed.
constexpr const char* kWidestSpeed = "115200";
// The status text's share when the version and free memory need the rest.
constexpr int kNarrowStatusWidth = 40;
constexpr const char* kSpeedItems[] = {"4800",  "9600",  "14400", "19200",
                                       "38400", "57600", "115200"};

// The width at which the speed selector shows its widest value whole, and no more.
int SpeedWidth(const QComboBox& box) {
    QStyleOptionComboBox option;
    option.initFrom(&box);
    const QSize text(box.fontMetrics().horizontalAdvance(kWidestSpeed), box.fontMetrics().height());
    return box.style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, &box).width();
}

}  // namespace

void TFZQDir::BuildToolBar() {
    toolBar_ = addToolBar("Tool bar");
    toolBar_->setObjectName("ToolBar1");
    toolBar_->setMovable(false);
    toolBar_->setIconSize(QSize(20, 20));
    toolBar_->addWidget(new QLabel(" Connect using: ", toolBar_));
    cmboPort_ = new PortComboBox(toolBar_);
    cmboPort_->setObjectName("cmboPort");
    cmboPort_->setToolTip("Select a communications port");
    cmboPort_->setStatusTip(cmboPort_->toolTip());
    cmboPort_->setProperty("helpContext", 125001);
    cmboPort_->setMinimumContentsLength(kPortChars);
    cmboPort_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    // In a narrow window the selectors give up width first, so that the buttons after them
    // stay on the tool bar instead of moving into its overflow menu.
    cmboPort_->setMinimumWidth(kNarrowPortWidth);
    toolBar_->addWidget(cmboPort_);
    toolBar_->addSeparator();
    toolBar_->addWidget(new QLabel(" Speed: ", toolBar_));
    cmboSpeed_ = new QComboBox(toolBar_);
    cmboSpeed_->setObjectName("cmboSpeed");
    for (const char* speed : kSpeedItems) {
        cmboSpeed_->addItem(speed);
    }
    cmboSpeed_->setToolTip("Select a communications speed.  (ignored for USB)");
    cmboSpeed_->setStatusTip(cmboSpeed_->toolTip());
    cmboSpeed_->setProperty("helpContext", 125003);
    cmboSpeed_->setMinimumWidth(SpeedWidth(*cmboSpeed_));
    toolBar_->addWidget(cmboSpeed_);
    toolBar_->addSeparator();
    toolBar_->addAction(Action(ActionId::tbtnConnect));
    toolBar_->addAction(Action(ActionId::tbtnScrnCapture));
    toolBar_->addAction(Action(ActionId::tbtnXferMode));

    connect(cmboPort_, &PortComboBox::aboutToShowPopup, this, [this] { RefreshPortList(); });
    // Enter is taken before the line edit sees it: the line edit would announce it twice (once
    // more when the combo box hands the key back), and a port that failed would be tried and
    // its error shown twice.
    cmboPort_->lineEdit()->installEventFilter(this);
    connect(cmboPort_, &QComboBox::currentTextChanged, this, [this](const QString&) {
        // cmboPortChange: a new port ends the session on the old one.
        UpdateControls();
        if (connected_ && !loadingSettings_) {
            Disconnect();
        }
    });
    connect(cmboSpeed_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (stack_ == nullptr) {
            return;
        }
        if (connected_ && !loadingSettings_) {
            Disconnect();
        }
        stack_->SetSpeed(text.toStdString());
    });
}

void TFZQDir::BuildPanes() {
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("Splitter1");
    splitter_->setHandleWidth(kSplitterWidth);
    splitter_->setChildrenCollapsible(false);
    model_ = new CalculatorItemModel(this);
    BuildTree();
    BuildList();
    splitter_->addWidget(tree_);
    splitter_->addWidget(listStack_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
}

void TFZQDir::BuildTree() {
    treeProxy_ = new DirectoryTreeProxy(this);
    treeProxy_->setSourceModel(model_);
    treeProxy_->setDynamicSortFilter(false);
    tree_ = new QTreeView(splitter_);
    tree_->setModel(treeProxy_);
    tree_->setObjectName("TreeView1");
    tree_->setHeaderHidden(true);
    // Long captions ("HOME (ZQ-K8G+)") scroll rather than being cut short.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    tree_->setIndentation(kTreeIndent);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    tree_->setProperty("helpContext", 125000);
    tree_->setItemDelegate(new RenameDelegate(
        [this](const QModelIndex& index, const QString& text) { TreeView1Edited(index, text); },
        tree_));
    tree_->installEventFilter(this);
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        // A right click selects the node under it first.
        if (QModelIndex node = tree_->indexAt(point); node.isValid()) {
            tree_->setCurrentIndex(node);
        }
        ShowPopup(tree_, point);
    });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& node, const QModelIndex&) {
                if (!filling_ && node.isValid()) {
                    TreeView1Change(node);
                }
            });
}

// The details view and the icon views show one model and share one selection.
void TFZQDir::BuildList() {
    proxy_ = new ItemSortProxy(this);
    proxy_->setSourceModel(model_);
    proxy_->setDynamicSortFilter(false);
    listStack_ = new QStackedWidget(splitter_);
    details_ = new QTreeView(listStack_);
    details_->setObjectName("ListView1");
    details_->setRootIsDecorated(false);
    // The list shows one directory: its directory rows never open in place.
    details_->setItemsExpandable(false);
    details_->setExpandsOnDoubleClick(false);
    details_->setUniformRowHeights(true);
    details_->setAllColumnsShowFocus(true);
    details_->setModel(proxy_);
    details_->header()->setSectionsMovable(true);
    details_->header()->setSectionsClickable(true);
    details_->header()->setSortIndicatorShown(true);
    details_->header()->setStretchLastSection(false);
    icons_ = new QListView(listStack_);
    icons_->setObjectName("ListView1Icons");
    icons_->setModel(proxy_);
    icons_->setSelectionModel(details_->selectionModel());
    icons_->setResizeMode(QListView::Adjust);
    icons_->setWrapping(true);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(details_), static_cast<QAbstractItemView*>(icons_)}) {
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->setEditTriggers(QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::SelectedClicked);
        // One delegate per view: a delegate's editor signals go to every view it serves.
        view->setItemDelegate(
            new RenameDelegate([this](const QModelIndex& index,
                                      const QString& text) { ListView1Edited(index.row(), text); },
                               view));
        view->setProperty("helpContext", 125000);
        view->installEventFilter(this);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& point) { ShowPopup(view, point); });
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
            if (!busy_ && index.isValid()) {
                OpenItem(index.row());
            }
        });
        listStack_->addWidget(view);
    }
    ShowListOf(std::nullopt);
    connect(details_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        ListView1SelectItem();
        ApplyRules();
    });
    connect(details_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { ListView1ColumnClick(column); });
}

void TFZQDir::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setToolTip("Last command");
    bar->setProperty("helpContext", 125002);
    // The status text takes what the version and free memory leave, so neither is cut.
    statusPanel0_ = new QLabel(bar);
    statusPanel0_->setMinimumWidth(kNarrowStatusWidth);
    statusPanel1_ = new QLabel(bar);
    bar->addWidget(statusPanel0_, 1);
    bar->addPermanentWidget(statusPanel1_);
}

void TFZQDir::CreateColumns(int dirColSize) {
    bool sizeFirst = dirColSize == frontend::kColumnsSizeFirst;
    columnTag_[0] = kTagFiles;
    columnTag_[1] = sizeFirst ? kTagSize : kTagType;
    columnTag_[2] = sizeFirst ? kTagType : kTagSize;
    model_->SetColumnTags(columnTag_[1], columnTag_[2]);
    // The names take what the window gives; type and size keep the widths the user set.
    details_->header()->setSectionResizeMode(QHeaderView::Interactive);
    details_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void TFZQDir::SetViewStyle(int style) {
    viewStyle_ = style;
    if (style == 3) {
        listStack_->setCurrentWidget(details_);
        return;
    }
    int size = style == 0 ? kLargeIconSize : kSmallIconSize;
    icons_->setIconSize(QSize(size, size));
    icons_->setViewMode(style == 0 ? QListView::IconMode : QListView::ListMode);
    icons_->setFlow(style == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    icons_->setGridSize(style == 0 ? QSize(88, 64) : QSize());
    icons_->setWrapping(true);
    listStack_->setCurrentWidget(icons_);
}

void TFZQDir::ApplySettings(const frontend::StoredSettings& s) {
    loadingSettings_ = true;
    SelectRememberedPort(QString::fromStdString(s.port), frontend::UnlistedPort::ToAuto);
    int speed = cmboSpeed_->findText(QString::number(s.speed));
    cmboSpeed_->setCurrentIndex(speed >= 0 ? speed : cmboSpeed_->findText("9600"));
    stack_->SetSpeed(cmboSpeed_->currentText().toStdString());
    toolBar_->setVisible(s.toolBarVisible);
    statusBar()->setVisible(s.statusBarVisible);
    readTreeWidth_ = s.dirWidthSplit;
    splitter_->setSizes({s.dirWidthSplit, std::max(width() - s.dirWidthSplit, 1)});
    CreateColumns(s.dirColSize);
    readFilesWidth_ = s.dirWidthFiles;
    for (int column = 0; column < 3; ++column) {
        int tag = columnTag_[column];
        details_->setColumnWidth(column, tag == kTagFiles  ? s.dirWidthFiles
                                         : tag == kTagSize ? s.dirWidthSize
                                                           : s.dirWidthType);
    }
    SetViewStyle(s.dirViewStyle);
    sort_ = SortState{s.dirSortCol, s.dirSortReverse};
    commands_->AddExtension = s.addExtension;
    state_.transfer = s.transfer;
    editor_ = s.editor;
    rpnPrompts_ = s.rpnPrompts;
    confirmDelete_ = s.confirmDelete;
    loadingSettings_ = false;
}

frontend::StoredSettings TFZQDir::CurrentSettings() const {
    frontend::StoredSettings s;
    s.port = cmboPort_->currentText().toStdString();
    s.speed = QString::fromStdString(commands_->LinkSpeed()).toInt();
    s.toolBarVisible = !toolBar_->isHidden();
    s.statusBarVisible = !statusBar()->isHidden();
    // A splitter never laid out on screen reports no real width: keep the one read.
    s.dirWidthSplit = splitter_->isVisible() ? splitter_->sizes().value(0) : readTreeWidth_;
    for (int column = 0; column < 3; ++column) {
        int width = details_->columnWidth(column);
        int tag = columnTag_[column];
        // The names' column stretches with the window: never shown, it has no width yet.
        if (tag == kTagFiles && !details_->isVisible()) {
            width = readFilesWidth_;
        }
        (tag == kTagFiles  ? s.dirWidthFiles
         : tag == kTagSize ? s.dirWidthSize
                           : s.dirWidthType) = width;
    }
    s.dirViewStyle = viewStyle_;
    // The order follows the column the user left at position 1.
    int second = details_->header()->logicalIndex(1);
    s.dirColSize = columnTag_[second < 0 ? 1 : second] == kTagSize ? frontend::kColumnsSizeFirst
                                                                   : frontend::kColumnsTypeFirst;
    s.dirSortCol = sort_.column;
    s.dirSortReverse = sort_.reverse;
    s.addExtension = commands_->AddExtension;
    s.transfer = state_.transfer;
    s.editor = editor_;
    s.rpnPrompts = rpnPromptsNow ? rpnPromptsNow() : rpnPrompts_;
    s.confirmDelete = confirmDelete_;
    return s;
}

void TFZQDir::RefreshPortList() {
    if (connected_ || stack_ == nullptr) {
        return;
    }
    Guarded([this] { stack_->ClosePort(); });
    QString remembered = cmboPort_->currentText();
    bool wasLoading = loadingSettings_;
    loadingSettings_ = true;
    cmboPort_->clear();
    for (const std::string& name : stack_->ListPorts()) {
        cmboPort_->addItem(QString::fromStdString(name));
    }
    // A typed device path (a pseudo-terminal is never listed) stays as typed.
    SelectRememberedPort(remembered, frontend::UnlistedPort::KeepAbsolute);
    loadingSettings_ = wasLoading;
    UpdateControls();
}

void TFZQDir::SelectRememberedPort(const QString& remembered, frontend::UnlistedPort unlisted) {
    std::string chosen = frontend::ChooseRememberedPort(remembered.toStdString(), unlisted, [this] {
        std::vector<std::string> entries;
        for (int index = 0; index < cmboPort_->count(); ++index) {
            entries.push_back(cmboPort_->itemText(index).toStdString());
        }
        return entries;
    });
    // The selector compares in any case, as the rule does.
    int found = cmboPort_->findText(QString::fromStdString(chosen), Qt::MatchFixedString);
    if (found >= 0) {
        cmboPort_->setCurrentIndex(found);
    } else {
        cmboPort_->setEditText(QString::fromStdString(chosen));
    }
}

QComboBox* TFZQDir::PortSelector() const {
    return cmboPort_;
}

}  // namespace vaddex::gui
