#pragma once

#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

#include "placement/TWindowPosSave.h"
#include "windows/CaptureSettings.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace vaddex::gui {

class TFDownLd;

// "Screen capture": one captured calculator screen drawn black on white inside an optional
// margin and frame, shown enlarged by the zoom, copied to the clipboard, saved as a picture.
// At most one exists; it deletes itself when closed.
class TFCapture : public QMainWindow {
    Q_OBJECT

public:
    // The program's viewer, made (as a window of `owner`) when there is none. Closing it
    // hides `prompt` when that shows "Do Another Capture?", which ends the capture loop.
    static TFCapture& Instance(QWidget* owner, TFDownLd* prompt = nullptr);
    // The program's viewer, or nullptr.
    static TFCapture* Existing();

    // Shows a screen image string (layout A or B) with the current settings; later calls
    // replace the picture.
    void ShowCapture(const std::string& image);
    // Draws the last image again, fits the window when it was fitted, stores the settings.
    void RefreshCapture();
    // Writes the unzoomed picture in the form the extension names (.png, .jpg, .jpeg, .bmp,
    // a lone "." or none); otherwise, or when the file cannot be written, says why in a
    // message box and leaves no file under the name. Blocks until written; true when it was.
    bool SaveTo(const QString& path);
    // The name Save As writes: a name typed without extension gets that of the chosen filter
    // ("JPEG Files (*.jpg ...)" gives ".jpg"); other names stay as typed.
    static QString NameForFilter(const QString& path, const QString& filter);
    // Asks for the file to save to and sets the chosen filter; empty when cancelled. By
    // default the save dialog; tests answer it themselves.
    std::function<QString(QString* selectedFilter)> askSavePath;

    // The picture as drawn: W x H, unzoomed.
    const QImage& Picture() const { return picture_; }
    // The picture's size on screen: zoom x W by zoom x H.
    QSize DisplaySize() const;
    const CaptureSettings& Settings() const { return settings_; }
    QString StatusText() const;

signals:
    // While a picture is saved: the main window is busy.
    void BusyChanged(bool busy);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TFCapture(QWidget* owner, TFDownLd* prompt);
    ~TFCapture() override;

    void BuildMenus();
    QMenu* NumberMenu(QMenu* parent, const QString& title, const QString& hint,
                      const QString& namePrefix, int checked, void (TFCapture::*handler)(int));
    void RenderCapture();
    void FormResize();
    void StoreSettings();
    void SetStatus(const QString& text);
    void ShowSaveError(const QString& text);

    void mnuSaveAsClick();
    void mnuCopyClick();
    void mnuShowBorderClick(bool checked);
    void mnuFrameNoClick(int frame);
    void mnuSpaceNoClick(int space);
    void mnuZoomClick(int zoom);
    void mnuFitWindowClick();

    CaptureSettings settings_;
    ScreenPicture drawn_;  // what the files are written from
    QImage picture_;       // the same, for the screen and the clipboard
    bool ready_ = false;
    QLabel* image1_ = nullptr;
    QLabel* sbCapture_ = nullptr;
    TWindowPosSave windowPosSave1_;
    QPointer<TFDownLd> prompt_;
};

}  // namespace vaddex::gui
