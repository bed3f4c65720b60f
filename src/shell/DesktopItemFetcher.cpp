#include "shell/DesktopItemFetcher.h"

#include <exception>

#include "session/Outcome.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex::gui {

namespace {

// A step that did not go on ends the operation with its reason.
void RaiseIfNotGoingOn(const vaddex::Outcome& outcome) {
    if (!outcome.GoesOn()) {
        throw vaddex::LinkError(outcome.message);
    }
}

}  // namespace

DesktopItemFetcher::DesktopItemFetcher(SessionCommands& commands, const DesktopFileFolder& folder)
    : commands_(commands), folder_(folder) {}

std::vector<std::string> DesktopItemFetcher::Announce(std::vector<ItemRef> items) {
    batch_ = folder_.NewBatch();
    items_ = std::move(items);
    entries_.clear();
    fetched_.clear();
    for (const ItemRef& item : items_) {
        entries_.push_back(
            DesktopFileFolder::PathIn(batch_, SessionCommands::FileNameForItem(item.name)));
    }
    return entries_;
}

std::string DesktopItemFetcher::FetchOne(const ItemRef& ref, const std::string& entry) {
    if (ref.IsRoot()) {
        std::string archive = DesktopFileFolder::PathIn(batch_, commands_.DefaultArchiveName());
        if (!commands_.BackupToFile(archive)) {
            DeleteFileIfExists(archive);
            throw LinkError(kCanceledByUserText);
        }
        return archive;
    }
    // Looked up now: a refresh since the announce may have replaced the listing.
    const TXPObject* item = ref.In(commands_.Root());
    if (item == nullptr) {
        throw LinkError(ref.name + " is no longer on the calculator");
    }
    std::string path =
        DesktopFileFolder::PathIn(batch_, FileNameOf(entry) + commands_.ObjectExtension());
    if (Outcome got = commands_.GetItemTo(*item, path); !got) {
        DeleteFileIfExists(path);
        throw LinkError(got.message);
    }
    return path;
}

std::vector<std::string> DesktopItemFetcher::FetchAll() {
    UiBridge& ui = commands_.Ui();
    ui.SetBusy(true);
    ScopeExit notBusy([&] { ui.SetBusy(false); });
    fetched_.clear();
    RaiseIfNotGoingOn(commands_.ChangeToCurrentDir());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        fetched_.push_back(FetchOne(items_[i], entries_[i]));
    }
    return fetched_;
}

std::vector<std::string> DesktopItemFetcher::FetchForDrop() {
    try {
        FetchAll();
    } catch (const std::exception& e) {
        // The user cancelled or the link failed: the drop goes on with what is complete.
        Trace(std::string("Drop fetch ended after ") + std::to_string(fetched_.size()) + " of " +
              std::to_string(items_.size()) + " items: " + e.what());
    }
    return fetched_;
}

}  // namespace vaddex::gui
