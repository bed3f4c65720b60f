#pragma once

#include <optional>

namespace vaddex::cli {

// mount --background: the command goes on in a child process and returns once the folder is
// mounted. The fork comes before the command starts any thread, since only the forking
// thread lives on in the child.
class BackgroundStart {
public:
    // In the parent: waits until the child has mounted (0) or has ended (its exit status),
    // and gives the status to exit with. In the child: nothing, and the command goes on.
    // Throws std::runtime_error when no child can be started.
    static std::optional<int> Fork();
    // In the child once the folder is mounted: the parent returns, and standard input and
    // output (and standard error when it is a pipe) no longer hold the caller's terminal or
    // pipe. Nothing outside a child.
    static void Detach();
};

}  // namespace vaddex::cli
