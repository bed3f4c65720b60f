#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vaddex::gui {

// The folder where the files handed to the desktop (Copy, Cut, drags, Edit as Text) are
// written. It outlives the run, because a file manager may paste from the clipboard after the
// program has ended; each copy or drag gets a fresh batch folder inside it, so two batches
// never overwrite each other's files. Every path it gives lies inside a batch folder whatever
// the calculator name it was made from.
class DesktopFileFolder {
public:
    // `base` is made with owner-only access when missing. A base that is a symbolic link, is
    // owned by someone else or is open to others is refused (std::runtime_error): another user
    // could otherwise plant or read the files.
    explicit DesktopFileFolder(std::string base = DefaultBase());

    // "<system temporary folder>/vaddex-desktop-<uid>/".
    static std::string DefaultBase();
    // The base, with a trailing "/".
    const std::string& Base() const { return base_; }

    // A new, empty batch folder with a trailing "/". Throws std::runtime_error when it cannot
    // be made.
    std::string NewBatch() const;

    // The path inside `batch` for a file name (file form + extension) made from a calculator
    // name: a name that is empty, all dots or holds "/" or a NUL is escaped, one that is too
    // long for the file system is cut (its extension kept), and one that already exists in the
    // batch gets a number, so the result is always a new file directly inside `batch`.
    static std::string PathIn(const std::string& batch, const std::string& fileName);

    // How long a batch is kept: a paste the next day is still served.
    static constexpr std::chrono::hours kKeepFor{24};

    // Removes the batch folders last changed longer than `age` ago, except those holding one
    // of `inUse` (the files a clipboard still offers), so a new run can clear what earlier ones
    // left. Returns how many were removed.
    int RemoveOlderThan(std::chrono::seconds age, const std::vector<std::string>& inUse) const;

private:
    std::string base_;
};

}  // namespace vaddex::gui
