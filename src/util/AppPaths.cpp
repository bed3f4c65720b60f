#include "util/AppPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "util/Errors.h"

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

std::vector<std::string> DataFolders() {
    if (const char* env = std::getenv("VADDEX_DATA_DIR"); env && *env) {
        return {WithSlash(env)};
    }
#ifdef VADDEX_RELATIVE_DATA_DIR
    std::string installed = ProgramFolder() + VADDEX_RELATIVE_DATA_DIR;
#else
    std::string installed = ProgramFolder() + "../share/vaddex/";
#endif
    installed = WithSlash(std::filesystem::path(installed).lexically_normal().string());
    // An installed program uses its own files only, never those of a build tree.
    if (IsDirectory(installed)) {
        return {installed};
    }
    std::vector<std::string> folders;
#ifdef VADDEX_SOURCE_DATA_DIR
    folders.emplace_back(VADDEX_SOURCE_DATA_DIR);
#else
    folders.push_back(ProgramFolder() + "data/");
#endif
#ifdef VADDEX_INSTALL_DATA_DIR
    if (folders.front() != VADDEX_INSTALL_DATA_DIR) {
        folders.emplace_back(VADDEX_INSTALL_DATA_DIR);
    }
#endif
    return folders;
}

std::string DataFolder() {
    std::vector<std::string> folders = DataFolders();
    auto found = std::find_if(folders.begin(), folders.end(), IsDirectory);
    return found != folders.end() ? *found : folders.front();
}

std::string DataFilePath(const std::string& name) {
    std::vector<std::string> folders = DataFolders();
    int firstError = 0;
    for (const auto& folder : folders) {
        if (::access((folder + name).c_str(), R_OK) == 0) {
            return folder + name;
        }
        firstError = firstError != 0 ? firstError : errno;
    }
    // The first place looked is reported as a failed open would be, then every place.
    std::string text = "Unable to open file " + folders.front() + name + " " +
                       std::to_string(firstError) + ": " + std::strerror(firstError) +
                       "; looked in " + folders.front();
    for (std::size_t i = 1; i < folders.size(); ++i) {
        text += ", " + folders[i];
    }
    if (const char* env = std::getenv("VADDEX_DATA_DIR"); env && *env) {
        text += " (VADDEX_DATA_DIR)";
    }
    RaiseError(text, ErrorKind::FileError);
}

std::string TempFolder() {
    static TempFolderOwner owner;
    return owner.Get();
}

}  // namespace vaddex
