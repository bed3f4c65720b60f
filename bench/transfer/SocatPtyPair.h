#pragma once

#include <memory>
#include <string>

#include "support/ChildProcess.h"

namespace vaddex::bench {

// Two pseudo-terminals joined by socat, one for each end of a line: each peer program gets a
// terminal of its own, as on two serial ports joined by a cable. On one shared pty, rx's frequent
// input flushes race the sender's next block, which is then lost, and both ends wait for each other
// until the sender gives up.
class SocatPtyPair {
public:
    // Starts socat with the two terminals' links in `folder` (ending in "/"); throws
    // std::runtime_error when they do not appear.
    explicit SocatPtyPair(const std::string& folder);
    // Ends socat by its pid.
    ~SocatPtyPair();
    SocatPtyPair(const SocatPtyPair&) = delete;
    SocatPtyPair& operator=(const SocatPtyPair&) = delete;

    // The device paths of the two ends, such as "/dev/pts/4".
    const std::string& First() const { return first_; }
    const std::string& Second() const { return second_; }

    // Opens an end for a peer program (read and write, no controlling terminal); the caller
    // closes it once the program holds it.
    static int OpenForPeer(const std::string& path);

private:
    std::unique_ptr<test::ChildProcess> socat_;
    std::string first_;
    std::string second_;
};

}  // namespace vaddex::bench
