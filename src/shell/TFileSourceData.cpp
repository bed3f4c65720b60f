#include "shell/TFileSourceData.h"

#include <exception>
#include <string>

#include "shell/FileListMime.h"
#include "util/Trace.h"

namespace vaddex::gui {

TFileSourceData::TFileSourceData(std::vector<std::string> entries, Fetch fetch)
    : entries_(std::move(entries)), fetch_(std::move(fetch)) {}

QStringList TFileSourceData::formats() const {
    return {FileListMime::kUriList};
}

bool TFileSourceData::hasFormat(const QString& mimeType) const {
    return mimeType == FileListMime::kUriList;
}

const std::vector<std::string>& TFileSourceData::Delivered() const {
    static const std::vector<std::string> kNothingYet;
    if (delivered_) {
        return *delivered_;
    }
    // Should the fetch let window events run, a second request that arrives meanwhile must
    // not start a second fetch.
    if (fetching_) {
        return kNothingYet;
    }
    fetching_ = true;
    ++fetchCount_;
    std::vector<std::string> files;
    try {
        files = fetch_ ? fetch_(entries_) : entries_;
    } catch (const std::exception& e) {
        files.clear();  // Qt's drag loop must not see an exception; nothing complete to offer
        Trace(std::string("Drag source fetch failed: ") + e.what());
    }
    fetching_ = false;
    delivered_ = std::move(files);
    if (onDelivered) {
        onDelivered();
    }
    return *delivered_;
}

QVariant TFileSourceData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != FileListMime::kUriList || entries_.empty()) {
        return {};
    }
    (void)type;  // QMimeData turns the byte list into URLs when those are asked for
    return FileListMime::UriList(Delivered());
}

}  // namespace vaddex::gui
