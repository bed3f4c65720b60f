#include "util/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <system_error>

namespace vaddex {
namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

// Removes the run's temporary folder at normal process end.
class TempFolderOwner {
public:
    ~TempFolderOwner() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    const std::string& Get() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (path_.empty()) {
            const char* base = std::getenv("TMPDIR");
            std::string pattern = WithSlash(base && *base ? base : "/tmp") + "vaddex-XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr) {
                throw std::runtime_error("Cannot create a temporary folder: " +
                                         std::string(std::strerror(errno)));
            }
            path_ = WithSlash(pattern);
        }
        return path_;
    }

private:
    std::mutex mutex_;
    std::string path_;
};

}  // namespace

std::string ProgramFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return "./";
    }
    return WithSlash(exe.parent_path().string());
}

std::string DataFolder() {
    if (const char* env = std::getenv("VADDEX_DATA_DIR"); env && *env) {
        return WithSlash(env);
    }
#ifdef VADDEX_RELATIVE_DATA_DIR
    std::string installed = ProgramFolder() + VADDEX_RELATIVE_DATA_DIR;
#else
    std::string installed = ProgramFolder() + "../share/vaddex/";
#endif
    if (IsDirectory(installed)) {
        return installed;
    }
#ifdef VADDEX_INSTALL_DATA_DIR
    if (IsDirectory(VADDEX_INSTALL_DATA_DIR) && !IsDirectory(VADDEX_SOURCE_DATA_DIR)) {
        return VADDEX_INSTALL_DATA_DIR;
    }
#endif
#ifdef VADDEX_SOURCE_DATA_DIR
    return VADDEX_SOURCE_DATA_DIR;
#else
    return ProgramFolder() + "data/";
#endif
}

std::string TempFolder() {
    static TempFolderOwner owner;
    return owner.Get();
}

}  // namespace vaddex
