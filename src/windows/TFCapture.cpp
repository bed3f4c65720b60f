#include "windows/TFCapture.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <cstring>
#include <stdexcept>

#include "objects/PictureFiles.h"
#include "placement/WindowFront.h"
#include "session/PromptTexts.h"
#include "windows/TFDownLd.h"

namespace vaddex::gui {
namespace {

const char* const kCaption = "Screen capture";
const char* const kSaveTitle = "Save Captured Screen";
// Upper and lower case both, as file names on this system are case-sensitive.
const char* const kSaveFilter =
    "JPEG Files (*.jpg *.JPG *.jpeg *.JPEG);;Bitmaps (*.bmp *.BMP);;"
    "PNG Files (*.png *.PNG);;All Files (*)";
constexpr int kMinimumSize = 100;
constexpr int kHelpContext = 135000;
constexpr int kMaxBorder = 9;

// The last screen received: kept for the program, so a new viewer can draw it again.
std::string& LastImage() {
    static std::string image;
    return image;
}

QPointer<TFCapture>& TheViewer() {
    static QPointer<TFCapture> viewer;
    return viewer;
}

QImage ToImage(const ScreenPicture& picture) {
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x) {
            line[x] = picture.IsBlack(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
    }
    return image;
}

}  // namespace

TFCapture& TFCapture::Instance(QWidget* owner, TFDownLd* prompt) {
    if (TheViewer().isNull()) {
        // Deleted by Qt when closed (WA_DeleteOnClose) or with its owner.
        TheViewer() = new TFCapture(owner, prompt);
    }
    return *TheViewer();
}

TFCapture* TFCapture::Existing() {
    return TheViewer().data();
}

TFCapture::TFCapture(QWidget* owner, TFDownLd* prompt)
    : QMainWindow(owner, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                             Qt::WindowContextHelpButtonHint),
      windowPosSave1_(this, "ScreenCapture"),
      prompt_(prompt) {
    // A dialog window stays in front of the main window; shown, it comes whole on the screen.
    WindowFront::Attach(this, owner);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    setMinimumSize(kMinimumSize, kMinimumSize);
    setObjectName("FCapture");
    // F1 and "What's This?" find the help page through this property.
    setProperty("helpContext", kHelpContext);

    // The picture sits at the client's top left; a window made smaller clips it.
    auto* client = new QWidget(this);
    setCentralWidget(client);
    image1_ = new QLabel(client);
    image1_->setObjectName("Image1");
    image1_->setToolTip("Captured Screen");

    sbCapture_ = new QLabel(this);
    sbCapture_->setObjectName("sbCapture");
    statusBar()->addWidget(sbCapture_, 1);
    statusBar()->setSizeGripEnabled(false);

    windowPosSave1_.Restore();  // stays hidden: the placement is always stored as not visible
    QSettings stored("Zenquist", "Vaddex");
    CaptureSettings start;
    start.border.space = 4;  // kept when the stored value is out of range
    start.border.frame = 2;
    settings_ = CaptureSettings::Read(stored, start);
    BuildMenus();
    SetStatus("");
}

TFCapture::~TFCapture() = default;

QMenu* TFCapture::NumberMenu(QMenu* parent, const QString& title, const QString& hint,
                             const QString& namePrefix, int checked,
                             void (TFCapture::*handler)(int)) {
    QMenu* menu = parent->addMenu(title);
    auto* group = new QActionGroup(menu);
    for (int n = 0; n <= kMaxBorder; ++n) {
        QAction* item = menu->addAction(QString::number(n));
        item->setObjectName(namePrefix + QString::number(n));
        item->setStatusTip(hint);
        item->setCheckable(true);
        item->setChecked(n == checked);
        item->setData(n);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, handler, n] { (this->*handler)(n); });
    }
    return menu;
}

void TFCapture::BuildMenus() {
    QMenu* file = menuBar()->addMenu("&File");
    QAction* saveAs = file->addAction("Save &As...", this, &TFCapture::mnuSaveAsClick);
    saveAs->setObjectName("mnuSaveAs");
    saveAs->setShortcut(QKeySequence::Save);
    QAction* close = file->addAction("Close", this, &QWidget::close);
    close->setObjectName("mnuClose");
    close->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    close->setStatusTip("Close the capture window");

    QMenu* edit = menuBar()->addMenu("Edit");
    QAction* copy = edit->addAction("Copy", this, &TFCapture::mnuCopyClick);
    copy->setObjectName("mnuCopy");
    copy->setShortcut(QKeySequence::Copy);
    copy->setStatusTip("Copy image to clipboard");

    QMenu* view = menuBar()->addMenu("View");
    QAction* border = view->addAction("Show Border");
    border->setObjectName("mnuShowBorder");
    border->setCheckable(true);
    border->setChecked(settings_.border.show);
    border->setStatusTip("Apply/remove the frame and space options");
    connect(border, &QAction::toggled, this, &TFCapture::mnuShowBorderClick);
    NumberMenu(view, "Frame", "Size of added black frame", "mnuFrame", settings_.border.frame,
               &TFCapture::mnuFrameNoClick);
    NumberMenu(view, "Add Space", "White space between frame and screen capture", "mnuSpace",
               settings_.border.space, &TFCapture::mnuSpaceNoClick);
    view->addSeparator();

    QMenu* zoom = view->addMenu("&Zoom");
    auto* zoomGroup = new QActionGroup(zoom);
    for (int factor : CaptureSettings::kZoomFactors) {
        QAction* item = zoom->addAction("x" + QString::number(factor));
        item->setObjectName("mnuZoom" + QString::number(factor));
        item->setStatusTip("Set size of the capture window");
        item->setCheckable(true);
        item->setChecked(factor == settings_.zoom);
        item->setData(factor);
        zoomGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, factor] { mnuZoomClick(factor); });
    }
    QAction* fit = view->addAction("Fit &Window to Image", this, &TFCapture::mnuFitWindowClick);
    fit->setObjectName("mnuFitWindow");
    fit->setStatusTip("Adjust the window size to match the captured image");
}

void TFCapture::ShowCapture(const std::string& image) {
    SetStatus("Processing Image");
    LastImage() = image;
    RefreshCapture();
}

void TFCapture::RefreshCapture() {
    const bool fitted =
        (width() == maximumWidth() && height() == maximumHeight()) || settings_.fitFirstImage;
    settings_.fitFirstImage = false;

    RenderCapture();

    // A fitted window is its picture plus menu and status bar (the new maximum size), plus
    // the frame the window system adds around it.
    const QSize frame = frameGeometry().size() - geometry().size();
    const QRect screenArea = screen()->availableGeometry();
    const bool fits =
        frameGeometry().left() + frame.width() + maximumWidth() <= screenArea.right() + 1 &&
        frameGeometry().top() + frame.height() + maximumHeight() <= screenArea.bottom() + 1;
    if (fitted && fits) {
        mnuFitWindowClick();
    }
    StoreSettings();
}

void TFCapture::RenderCapture() {
    ready_ = false;
    drawn_ = ScreenPicture::Render(LastImage(), settings_.border);
    picture_ = ToImage(drawn_);
    const QSize shown = DisplaySize();
    image1_->setFixedSize(shown);
    // Each picture pixel becomes a zoom x zoom block: no smoothing.
    if (picture_.isNull()) {
        image1_->clear();
    } else {
        image1_->setPixmap(QPixmap::fromImage(
            picture_.scaled(shown, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    }
    ready_ = true;
    FormResize();
    mnuCopyClick();
    WindowFront::ShowInFront(this);
}

QSize TFCapture::DisplaySize() const {
    return picture_.size() * settings_.zoom;
}

QString TFCapture::StatusText() const {
    return sbCapture_->text();
}

void TFCapture::SetStatus(const QString& text) {
    sbCapture_->setText(text);
}

// The window may be made smaller than the picture, never larger.
void TFCapture::FormResize() {
    if (!ready_) {
        return;
    }
    const QSize shown = DisplaySize();
    const int menuHeight = menuBar()->heightForWidth(shown.width());
    const int barHeight = statusBar()->sizeHint().height();
    setMaximumSize(std::max(shown.width(), minimumWidth()),
                   std::max(shown.height() + std::max(menuHeight, 0) + barHeight, minimumHeight()));
}

void TFCapture::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFCapture::mnuFitWindowClick() {
    resize(maximumSize());
}

void TFCapture::mnuCopyClick() {
    if (picture_.isNull()) {
        return;
    }
    QApplication::clipboard()->setImage(picture_);
    SetStatus("Copied to clipboard");
}

void TFCapture::mnuShowBorderClick(bool checked) {
    settings_.border.show = checked;
    RefreshCapture();
}

void TFCapture::mnuFrameNoClick(int frame) {
    settings_.border.frame = frame;
    RefreshCapture();
}

void TFCapture::mnuSpaceNoClick(int space) {
    settings_.border.space = space;
    RefreshCapture();
}

void TFCapture::mnuZoomClick(int zoom) {
    settings_.zoom = zoom;
    RefreshCapture();
}

void TFCapture::mnuSaveAsClick() {
    QString filter;
    const QString path = askSavePath ? askSavePath(&filter)
                                     : QFileDialog::getSaveFileName(this, kSaveTitle, QString(),
                                                                    kSaveFilter, &filter);
    if (!path.isEmpty()) {
        SaveTo(NameForFilter(path, filter));
    }
}

QString TFCapture::NameForFilter(const QString& path, const QString& filter) {
    const QString name = QFileInfo(path).fileName();
    // A name that carries an extension, or ends in a lone ".", says what it wants itself.
    if (name.isEmpty() || name.contains('.')) {
        return path;
    }
    // The first pattern of the filter, "*.jpg" of "JPEG Files (*.jpg *.JPG ...)".
    static const QRegularExpression firstPattern(R"(\(\*(\.[A-Za-z0-9]+))");
    const QRegularExpressionMatch match = firstPattern.match(filter);
    return match.hasMatch() ? path + match.captured(1).toLower() : path;
}

bool TFCapture::SaveTo(const QString& path) {
    // Names are bytes on this system; the local 8-bit form is what open() takes.
    const std::string fileName = QFile::encodeName(path).toStdString();
    if (picture_.isNull()) {
        return false;
    }
    if (PictureFormatFor(fileName) == PictureFormat::None) {
        ShowSaveError(QFileInfo(path).fileName() +
                      " was not saved: pictures are saved as .png, .jpg, .jpeg or .bmp "
                      "files.\nChoose a name with one of these extensions.");
        return false;
    }
    emit BusyChanged(true);
    QCoreApplication::processEvents();
    QString failure;
    try {
        int error = 0;
        if (!WritePictureFile(fileName, drawn_, &error)) {
            failure = "Cannot save " + path + ":\n" + QString::fromLocal8Bit(std::strerror(error));
        }
    } catch (const std::exception& e) {
        failure = "Cannot save " + path + ":\n" + QString::fromLocal8Bit(e.what());
    }
    emit BusyChanged(false);
    if (!failure.isEmpty()) {
        ShowSaveError(failure);
        return false;
    }
    SetStatus("Saved " + QFileInfo(path).fileName());
    return true;
}

void TFCapture::ShowSaveError(const QString& text) {
    QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), text);
}

void TFCapture::StoreSettings() {
    // Never stored as visible, so the viewer does not reopen by itself at start-up.
    windowPosSave1_.Save(true);
    QSettings stored("Zenquist", "Vaddex");
    settings_.Write(stored);
}

void TFCapture::closeEvent(QCloseEvent* event) {
    ready_ = false;
    StoreSettings();
    TheViewer() = nullptr;
    if (prompt_) {
        prompt_->HidePrompt(kPromptCaptureAgain);
    }
    event->accept();
}

}  // namespace vaddex::gui
