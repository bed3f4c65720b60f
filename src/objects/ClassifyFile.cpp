#include "objects/ClassifyFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

constexpr std::size_t kHeadLength = 8;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return fd_; }

private:
    int fd_;
};

// Up to the first kHeadLength bytes; fewer when the file is shorter.
std::string ReadHead(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        RaiseError("Unable to open file " + path + " " + std::to_string(errno));
    }
    std::string head(kHeadLength, '\0');
    std::size_t got = 0;
    while (got < kHeadLength) {
        ssize_t n = ::read(file.Get(), head.data() + got, kHeadLength - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            RaiseError("Cannot read from file " + path + std::to_string(errno));
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    return head;
}

std::string ExtensionOf(const std::string& path) {
    std::string name = FileNameOf(path);
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) {
        return "unknown";
    }
    return name.substr(dot + 1);
}

// Bytes a text file holds: no control characters but tab and line ends.
bool LooksLikeText(std::string_view head) {
    if (head.empty()) {
        return false;
    }
    for (char ch : head) {
        auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsBinaryExtension(const std::string& extension) {
    return extension.size() == 2 && (extension[0] == 'z' || extension[0] == 'Z') &&
           (extension[1] == 'q' || extension[1] == 'Q');
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

FileClass ClassifyFile(const std::string& path, const std::string& series) {
    std::string head = ReadHead(path);
    FileClass result;
    result.beginsWithZqzq = StartsWith(head, "ZQZQ");
    if (result.beginsWithZqzq && StartsWith(std::string_view(head).substr(4), series)) {
        result.form = FileForm::Binary;
    } else if (StartsWith(head, "%ZQZQ: ") || StartsWith(head, "%%ZQ: ")) {
        result.form = FileForm::Text;
    } else {
        result.kind = result.beginsWithZqzq ? head.substr(2, 4) : ExtensionOf(path);
        // The binary form's own extension on a text says nothing true about the file.
        if (!result.beginsWithZqzq && IsBinaryExtension(result.kind) && LooksLikeText(head)) {
            result.kind = kHeaderlessTextKind;
        }
    }
    return result;
}

}  // namespace vaddex
