#pragma once

#include <string>

#include "windows/ExternalEditor.h"

namespace vaddex {
class SessionCommands;
}

namespace vaddex::gui {

// "Edit as Text" after Copy has written the item's text file: the editor runs on it, a
// changed file goes back under the same name without a replace question into the directory
// the item was got from, and the file is deleted.
class EditAsText {
public:
    enum class Outcome {
        EditorNotStarted,
        Unchanged,
        Written,
        NotWritten,
        // The editor returned at once and the file is as it was: the editor most likely handed
        // it to a running instance or a desktop opener. The file stays for a watch.
        ReturnedAtOnce,
    };

    // An editor that ends sooner than this with the file unchanged did not wait for the user.
    static constexpr int kQuickReturnMs = 5000;

    // Blocks until the editor ends and a changed file has been sent into `directory` ("HOME
    // A"); busy meanwhile. Shows "Edit Error" when the editor cannot start and "Write Error"
    // when the write-back fails; session errors are raised after the file is deleted.
    static Outcome Run(SessionCommands& commands, const std::string& file,
                       const std::string& directory, const ExternalEditor& editor);

    // Sends the file into `directory` without a replace question; busy meanwhile. Shows
    // "Write Error" and returns false when the calculator did not take it. CurrentPath is put
    // back afterwards.
    static bool SendBack(SessionCommands& commands, const std::string& file,
                         const std::string& directory);
};

}  // namespace vaddex::gui
