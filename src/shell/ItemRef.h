#pragma once

#include <cstdint>
#include <string>

namespace vaddex {
class TXPObject;
}

namespace vaddex::gui {

// A calculator item as the window's panes hand it to the commands: plain values, so that it
// stays meaningful after a refresh has replaced the listing that showed it.
struct ItemRef {
    std::string path;  // "HOME A X"; the root alone is "HOME"
    std::string name;  // display form; "HOME" for the root
    bool isDirectory = false;
    std::int64_t size = 0;  // as the listing gave it

    static ItemRef Of(const TXPObject& item);

    bool IsRoot() const { return path == kRootPath; }
    // The directory that holds the item ("HOME A" for "HOME A X"); the root's own path for it.
    std::string DirectoryPath() const;
    // The item of this path in the listing under `root` now; null when it is gone or when a
    // directory turned into a variable of the same name (or the other way round).
    const TXPObject* In(const TXPObject& root) const;

    static constexpr const char* kRootPath = "HOME";
};

}  // namespace vaddex::gui
