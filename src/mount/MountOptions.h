#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace vaddex::mount {

// The -o words of a mount ("ro", "allow_other", "uid=N", "gid=N", "nonempty"), and the checks
// of the folder they are mounted at.
struct MountOptions {
    bool readOnly = false;
    bool allowOther = false;
    bool nonEmpty = false;  // a folder with files, or one mounted already, may be mounted over
    std::optional<uid_t> uid;
    std::optional<gid_t> gid;

    // Each word may hold several, separated by commas. Throws std::invalid_argument naming
    // a word it does not know or a value that is no number.
    static MountOptions Parse(const std::vector<std::string>& words);
    // The libfuse arguments after the program name.
    std::vector<std::string> FuseArguments() const;
    // Why the folder cannot be mounted at with these options; empty when it can. `fuseConf`
    // is the text of /etc/fuse.conf, `root` whether the caller is the superuser.
    std::string Refusal(const std::string& folder, const std::string& fuseConf, bool root) const;
};

}  // namespace vaddex::mount
