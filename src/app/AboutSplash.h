#pragma once

class QWidget;

namespace vaddex::gui {

class TFAboutForm;

// The About window made at start as the start-up splash: shown modally until
// CloseAboutSplash, which a timer step calls while it shows.
void ShowAboutSplash(TFAboutForm& about);
void CloseAboutSplash(TFAboutForm& about);

// The Help menu's About: an About window of its own each time, shown modally, then gone.
void ShowAboutBox(QWidget* parent);

}  // namespace vaddex::gui
