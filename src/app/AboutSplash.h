#pragma once

class QWidget;

namespace vaddex::gui {

// The short start-up splash: the program's name, version and what it links to, centred over
// the main window until CloseAboutSplash.
void ShowAboutSplash(QWidget* mainWindow);
void CloseAboutSplash();

// The Help menu's About box.
void ShowAboutBox(QWidget* parent);

}  // namespace vaddex::gui
