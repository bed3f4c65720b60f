#pragma once

#include <array>
#include <ostream>
#include <streambuf>
#include <string>

namespace vaddex::cli {

// Standard output for std::cout while it lives, keeping the system's reason for every write,
// flush and close that failed, so that output lost to a full disk, a closed pipe or a closed
// descriptor fails the command instead of passing as success.
//
// It also keeps descriptors 0 to 2 taken: one the program was started without is opened on
// /dev/null, so that no port or user file opened later becomes standard output by accident.
// A standard output that was closed then fails every write with EBADF.
class StandardOutput : public std::streambuf {
public:
    StandardOutput();
    ~StandardOutput() override;
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Flushes; the system's reason for the first write or flush that failed since the last
    // call ("" when none did), which is then forgotten.
    std::string TakeFailure();
    // TakeFailure, raised as CommandFailed("standard output: " + reason) when there is one.
    void Check();
    // Flushes and closes the descriptor; the reason as TakeFailure gives it. Nothing may be
    // written afterwards.
    std::string Close();

protected:
    int_type overflow(int_type c) override;
    int sync() override;
    std::streamsize xsputn(const char_type* data, std::streamsize count) override;

private:
    // Writes out what the buffer holds; false when a write failed (the bytes are dropped).
    bool Drain();
    bool WriteAll(const char* data, std::size_t size);

    std::array<char, 65536> buffer_{};
    std::streambuf* previous_ = nullptr;
    bool closedAtStart_ = false;
    bool closed_ = false;
    int failure_ = 0;  // errno of the first failure not yet taken
};

}  // namespace vaddex::cli
