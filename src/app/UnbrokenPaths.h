#pragma once

#include <QString>
#include <string>

namespace vaddex::gui {

// A message for a rich-text label in which no path is broken across lines: a word holding a
// '/' is kept whole, while the words around it still wrap. Bytes are one character each; CR LF
// and lone CR end lines.
QString UnbrokenPathsText(const std::string& message);

}  // namespace vaddex::gui
