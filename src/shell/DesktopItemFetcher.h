#pragma once

#include <string>
#include <vector>

#include "session/SessionCommands.h"
#include "session/TXPObject.h"
#include "shell/DesktopFileFolder.h"
#include "shell/ItemRef.h"

namespace vaddex::gui {

// Gets the calculator items of one Copy, Cut or drag into a fresh batch folder of the desktop
// file folder. The root item stands for the whole calculator and becomes an archive named
// after the series and the date.
class DesktopItemFetcher {
public:
    DesktopItemFetcher(SessionCommands& commands, const DesktopFileFolder& folder);

    // Starts a batch for the items (of the current directory, or the root): returns the paths
    // the files are announced under (without extension), one per item, all inside the batch.
    std::vector<std::string> Announce(std::vector<ItemRef> items);

    // Blocks until every item is got. Busy; the calculator changes to the current directory;
    // each item is got in order.
    // Returns the complete files. A get that fails raises "Canceled by user" after its partial
    // file has been removed; an item no longer listed raises before anything is got for it.
    std::vector<std::string> FetchAll();
    // The same for a drop: a failure ends the fetch quietly, and only the files got in full
    // before it are returned.
    std::vector<std::string> FetchForDrop();

    const std::vector<std::string>& Fetched() const { return fetched_; }

private:
    std::string FetchOne(const ItemRef& item, const std::string& entry);

    SessionCommands& commands_;
    const DesktopFileFolder& folder_;
    std::string batch_;
    std::vector<ItemRef> items_;
    std::vector<std::string> entries_;
    std::vector<std::string> fetched_;
};

}  // namespace vaddex::gui
