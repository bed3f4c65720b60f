#pragma once

#include <QString>
#include <string>

namespace vaddex::gui {

// A byte string for a label: UTF-8 when it is valid UTF-8 (PC paths), else one character per
// byte (calculator bytes), so no text is ever lost to replacement characters. CR LF and lone CR
// become line feeds.
QString DisplayText(const std::string& bytes);

}  // namespace vaddex::gui
