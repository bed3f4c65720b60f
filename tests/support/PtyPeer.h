#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vaddex::test {

// The calculator's end of a pseudo-terminal: the test opens SlavePath() as a serial port and
// plays the calculator on the master, or hands the master to a peer program. The peer keeps a slave
// descriptor of its own, so that the master works before and after the link opens and closes the
// slave; raw mode is set on the pair at once. Write and Read may run on two threads at a time;
// Close may not overlap them.
class PtyPeer {
public:
    // Throws std::runtime_error when no pseudo-terminal can be had.
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    // The slave's device path, such as "/dev/pts/3".
    const std::string& SlavePath() const { return slavePath_; }

    // Blocks until every byte went to the link, at most timeoutMs; false when they did not.
    bool Write(std::string_view bytes, int timeoutMs = 5000);
    // Blocks until `count` bytes came from the link or timeoutMs passed; returns what came.
    std::string Read(std::size_t count, int timeoutMs);

    // Pulls the cable: closes the master, so that the link's reads and writes fail.
    void Close();

    // For a peer program (ChildOptions input and output) instead of the test: the master,
    // blocking as programs expect. Close our end once the program holds it, so that the link
    // sees the line hang up when the program exits.
    int MasterForChild();
    bool IsOpen() const { return master_ >= 0; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace vaddex::test
