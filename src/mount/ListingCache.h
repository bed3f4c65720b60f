#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vaddex::mount {

// What the mount knows of each variable file beyond the listing, by mount path: the version
// (size and type as listed) with the time it was first seen, the file's size once known, the
// times a program set, and the files read, up to a byte limit. A listing that shows another
// version of a path forgets all of it.
class ListingCache {
public:
    struct Version {
        int size = 0;
        int typeCode = 0;
        std::time_t seen = 0;
        // The file's size once it has been read: a text file's is not known before.
        std::optional<std::size_t> fileSize;
        // Set by utimens for the mount's life; `seen` until then.
        std::optional<timespec> accessed;
        std::optional<timespec> modified;
    };
    struct Listed {
        std::string path;
        int size = 0;
        int typeCode = 0;
    };

    explicit ListingCache(std::size_t cacheBytes) : cacheBytes_(cacheBytes) {}

    // Notes the files of a listing read at `now`: a file keeps its version while its size and
    // type stay; the others are new, and what was known of them goes.
    void Index(const std::vector<Listed>& files, std::time_t now);
    // The version of a listed file; null when the last listing had none.
    Version* Find(const std::string& path);
    std::time_t ListedAt() const { return listedAt_; }

    // The data of a file read before; false when it is not kept.
    bool Cached(const std::string& path, std::string& data) const;
    // Keeps the data of a file just read, dropping the oldest ones over the limit.
    void Remember(const std::string& path, const std::string& data);
    void Forget(const std::string& path);

private:
    std::size_t cacheBytes_;
    std::time_t listedAt_ = 0;
    std::map<std::string, Version> versions_;
    std::map<std::string, std::string> data_;
    std::vector<std::string> order_;  // oldest first
    std::size_t dataBytes_ = 0;
};

}  // namespace vaddex::mount
