#pragma once

#include <string>

#include "windows/ExternalEditor.h"

namespace vaddex {
class SessionCommands;
}

namespace vaddex::gui {

// "Edit as Text" after Copy has written the item's text file: the editor runs on it, a
// changed file goes back to the calculator's current directory under the same name without a
// replace question, and the file is deleted.
class EditAsText {
public:
    enum class Outcome { EditorNotStarted, Unchanged, Written, NotWritten };

    // Blocks until the editor ends and a changed file has been sent; busy meanwhile. Shows
    // "Edit Error" when the editor cannot start and "Write Error" when the write-back fails;
    // session errors are raised after the file is deleted.
    static Outcome Run(SessionCommands& commands, const std::string& file,
                       const ExternalEditor& editor);
};

}  // namespace vaddex::gui
