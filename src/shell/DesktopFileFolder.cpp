#include "shell/DesktopFileFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace vaddex::gui {
namespace {

namespace fs = std::filesystem;

// The file systems take names of up to 255 bytes. The writer's temporary name beside the
// target has a length of its own, so a desktop file may use them all.
constexpr std::size_t kMaxFileNameBytes = 255;
constexpr const char* kBatchPrefix = "batch-";

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

[[noreturn]] void Refuse(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + ": " + path);
}

// Only a real folder of ours that nobody else may enter is used.
void CheckPrivate(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        Refuse("Cannot read the temporary folder (" + std::string(std::strerror(errno)) + ")",
               path);
    }
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        Refuse("The temporary folder is not a private folder of this user", path);
    }
}

bool IsAllDots(const std::string& name) {
    return name.find_first_not_of('.') == std::string::npos;
}

// The file form escapes a dot as "^046", so an escaped name still reads back as the same
// calculator name.
std::string Sanitized(const std::string& fileName) {
    std::string name;
    for (char c : fileName) {
        if (c == '/') {
            name += "^047";
        } else if (c == '\0') {
            name += "^000";
        } else {
            name += c;
        }
    }
    if (name.empty()) {
        return "^000";
    }
    if (IsAllDots(name)) {
        name.replace(0, 1, "^046");
    }
    return name;
}

std::string ExtensionOf(const std::string& name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

std::string Shortened(const std::string& name, std::size_t limit) {
    if (name.size() <= limit) {
        return name;
    }
    std::string extension = ExtensionOf(name);
    if (extension.size() >= limit) {
        extension.clear();
    }
    return name.substr(0, limit - extension.size()) + extension;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

DesktopFileFolder::DesktopFileFolder(std::string base) : base_(WithSlash(std::move(base))) {
    if (::mkdir(base_.c_str(), 0700) != 0 && errno != EEXIST) {
        Refuse("Cannot make the temporary folder (" + std::string(std::strerror(errno)) + ")",
               base_);
    }
    CheckPrivate(base_);
}

std::string DesktopFileFolder::DefaultBase() {
    std::error_code ec;
    fs::path system = fs::temp_directory_path(ec);
    std::string root = ec ? std::string("/tmp") : system.string();
    return WithSlash(root) + "vaddex-desktop-" + std::to_string(::getuid()) + "/";
}

std::string DesktopFileFolder::NewBatch() const {
    std::string pattern = base_ + kBatchPrefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        Refuse("Cannot make a temporary folder (" + std::string(std::strerror(errno)) + ")",
               pattern);
    }
    return WithSlash(pattern);
}

std::string DesktopFileFolder::PathIn(const std::string& batch, const std::string& fileName) {
    std::string folder = WithSlash(batch);
    std::string name = Shortened(Sanitized(fileName), kMaxFileNameBytes);
    std::string path = folder + name;
    // Two long names cut to the same text, or two names that differ only in a part the file
    // form drops, must not overwrite each other.
    for (int number = 2; Exists(path); ++number) {
        std::string suffix = "~" + std::to_string(number);
        std::string extension = ExtensionOf(name);
        std::string stem = name.substr(0, name.size() - extension.size());
        std::size_t room = kMaxFileNameBytes - suffix.size() - extension.size();
        path = folder + stem.substr(0, room) + suffix + extension;
    }
    return path;
}

int DesktopFileFolder::RemoveOlderThan(std::chrono::seconds age,
                                       const std::vector<std::string>& inUse) const {
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    int removed = 0;
    for (const auto& entry : fs::directory_iterator(base_, ec)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(kBatchPrefix, 0) != 0 || !entry.is_directory(ec) || entry.is_symlink(ec)) {
            continue;
        }
        auto changed = entry.last_write_time(ec);
        if (ec || now - changed < age) {
            continue;
        }
        std::string batch = WithSlash(entry.path().string());
        bool needed = false;
        for (const std::string& path : inUse) {
            needed = needed || path.rfind(batch, 0) == 0;
        }
        if (!needed && fs::remove_all(entry.path(), ec) > 0 && !ec) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace vaddex::gui
