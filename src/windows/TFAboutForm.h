#pragma once

#include <QDialog>

namespace vaddex::gui {

class TVersionLabel;

// The About window: a picture, the program's version and its licence. It takes the main
// window's caption and centres itself over it whenever it is shown. It serves as the start-up
// splash too.
class TFAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TFAboutForm(QWidget* mainWindow = nullptr);

    TVersionLabel& VersionLabel() { return *versionLabel_; }
    // The picture shown, 329 by 209 pixels.
    static QPixmap Picture();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TVersionLabel* versionLabel_ = nullptr;
};

}  // namespace vaddex::gui
