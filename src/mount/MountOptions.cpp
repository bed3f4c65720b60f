#include "mount/MountOptions.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace vaddex::mount {
namespace {

unsigned ParseId(const std::string& word, const std::string& value) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos ||
        value.size() > 9) {
        throw std::invalid_argument("-o " + word + ": the value is no number");
    }
    return static_cast<unsigned>(std::stoul(value));
}

// /etc/fuse.conf lets users other than root give allow_other with a line of its own.
bool AllowsOthers(const std::string& fuseConf) {
    std::istringstream lines(fuseConf);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t begin = line.find_first_not_of(" \t");
        std::size_t end = line.find_last_not_of(" \t\r");
        if (begin != std::string::npos &&
            line.substr(begin, end - begin + 1) == "user_allow_other") {
            return true;
        }
    }
    return false;
}

}  // namespace

MountOptions MountOptions::Parse(const std::vector<std::string>& words) {
    MountOptions options;
    for (const std::string& text : words) {
        std::istringstream parts(text);
        std::string word;
        while (std::getline(parts, word, ',')) {
            std::size_t equals = word.find('=');
            std::string name = word.substr(0, equals);
            std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
            if (word == "ro") {
                options.readOnly = true;
            } else if (word == "rw") {
                options.readOnly = false;
            } else if (word == "allow_other") {
                options.allowOther = true;
            } else if (word == "nonempty") {
                options.nonEmpty = true;
            } else if (name == "uid" && equals != std::string::npos) {
                options.uid = static_cast<uid_t>(ParseId(word, value));
            } else if (name == "gid" && equals != std::string::npos) {
                options.gid = static_cast<gid_t>(ParseId(word, value));
            } else if (!word.empty()) {
                throw std::invalid_argument(
                    "-o " + word + ": not a mount option (ro, allow_other, uid=, gid=, nonempty)");
            }
        }
    }
    return options;
}

std::vector<std::string> MountOptions::FuseArguments() const {
    std::string words = "fsname=vaddex,subtype=vaddex";
    words += readOnly ? ",ro" : "";
    words += allowOther ? ",allow_other" : "";
    words += uid ? ",uid=" + std::to_string(*uid) : "";
    words += gid ? ",gid=" + std::to_string(*gid) : "";
    return {"-o", words};
}

std::string MountOptions::Refusal(const std::string& folder, const std::string& fuseConf,
                                  bool root) const {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        if (errno == ENOTCONN) {
            // The program of an earlier mount ended without unmounting (killed, say).
            return folder + " is left over from a mount whose program has ended (" +
                   std::strerror(ENOTCONN) + "); run fusermount3 -u " + folder + " first";
        }
        return folder + ": no such folder";
    }
    if (!S_ISDIR(st.st_mode)) {
        return folder + ": no such folder";
    }
    if (allowOther && !root && !AllowsOthers(fuseConf)) {
        return "-o allow_other needs the line user_allow_other in /etc/fuse.conf";
    }
    if (nonEmpty) {
        return "";
    }
    struct stat parent {};
    if (::stat((folder + "/..").c_str(), &parent) == 0 && parent.st_dev != st.st_dev) {
        return folder + " is mounted already; give -o nonempty to mount over it";
    }
    std::error_code error;
    if (!std::filesystem::is_empty(folder, error) && !error) {
        return folder + " is not empty, and its files would be hidden while mounted; give -o " +
               "nonempty to mount over them";
    }
    return "";
}

}  // namespace vaddex::mount
