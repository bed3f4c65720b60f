#pragma once

#include <string>

namespace vaddex::test {

// A fresh folder for one test, removed with its content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, with a trailing "/".
    const std::string& Path() const { return path_; }
    // Path() + name.
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

}  // namespace vaddex::test
