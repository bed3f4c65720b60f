#include "session/CalcPath.h"

namespace vaddex {

std::vector<std::string> PathNames(const std::string& path) {
    const std::string kHomePrefix = std::string(kHomePath) + " ";
    std::size_t position =
        path.compare(0, kHomePrefix.size(), kHomePrefix) == 0 ? kHomePrefix.size() : 0;
    if (path == kHomePath) {
        position = path.size();
    }
    std::vector<std::string> names;
    while (position < path.size()) {
        std::size_t blank = path.find(' ', position);
        std::size_t end = blank == std::string::npos ? path.size() : blank;
        if (end > position) {
            names.push_back(path.substr(position, end - position));
        }
        position = end + 1;
    }
    return names;
}

std::string ChildPath(const std::string& directory, const std::string& name) {
    return directory.empty() ? name : directory + " " + name;
}

std::string ParentPath(const std::string& path) {
    std::size_t blank = path.rfind(' ');
    return blank == std::string::npos ? std::string(kHomePath) : path.substr(0, blank);
}

}  // namespace vaddex
