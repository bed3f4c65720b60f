#pragma once

#include <QIcon>

namespace vaddex::gui {

// The picture of an image index: the tool buttons' states (0 to 7) and the object icons,
// whose index is the item's type code (34 a directory). The desktop theme's icon where it has
// one that fits, else the program's own drawing.
QIcon ImageIcon(int index);

// A directory node: closed, open while selected.
QIcon DirectoryNodeIcon();

// The program's own icon.
QIcon ApplicationIcon();

}  // namespace vaddex::gui
