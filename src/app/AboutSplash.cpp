#include "app/AboutSplash.h"

#include "windows/TFAboutForm.h"

namespace vaddex::gui {

void ShowAboutSplash(TFAboutForm& about) {
    about.exec();
    about.hide();
}

void CloseAboutSplash(TFAboutForm& about) {
    if (about.isVisible()) {
        about.accept();
    }
}

void ShowAboutBox(QWidget* parent) {
    TFAboutForm about(parent);
    about.exec();
}

}  // namespace vaddex::gui
