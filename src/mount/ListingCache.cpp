#include "mount/ListingCache.h"

#include <algorithm>
#include <utility>

namespace vaddex::mount {

void ListingCache::Index(const std::vector<Listed>& files, std::time_t now) {
    listedAt_ = now;
    std::map<std::string, Version> seen;
    for (const Listed& file : files) {
        Version version;
        version.size = file.size;
        version.typeCode = file.typeCode;
        version.seen = now;
        auto old = versions_.find(file.path);
        if (old != versions_.end() && old->second.size == file.size &&
            old->second.typeCode == file.typeCode) {
            version = old->second;
        } else {
            Forget(file.path);
        }
        seen[file.path] = version;
    }
    for (const auto& [path, version] : versions_) {
        if (seen.count(path) == 0) {
            Forget(path);
        }
    }
    versions_ = std::move(seen);
}

ListingCache::Version* ListingCache::Find(const std::string& path) {
    auto found = versions_.find(path);
    return found == versions_.end() ? nullptr : &found->second;
}

bool ListingCache::Cached(const std::string& path, std::string& data) const {
    auto found = data_.find(path);
    if (found == data_.end() || versions_.count(path) == 0) {
        return false;
    }
    data = found->second;
    return true;
}

void ListingCache::Remember(const std::string& path, const std::string& data) {
    if (data.size() > cacheBytes_) {
        return;
    }
    Forget(path);
    while (dataBytes_ + data.size() > cacheBytes_ && !order_.empty()) {
        Forget(order_.front());
    }
    data_[path] = data;
    order_.push_back(path);
    dataBytes_ += data.size();
}

void ListingCache::Forget(const std::string& path) {
    auto found = data_.find(path);
    if (found == data_.end()) {
        return;
    }
    dataBytes_ -= found->second.size();
    data_.erase(found);
    order_.erase(std::find(order_.begin(), order_.end(), path));
}

}  // namespace vaddex::mount
