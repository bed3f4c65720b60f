#pragma once

#include <memory>
#include <string>

struct fuse;

namespace vaddex::mount {

class CalcFs;
struct MountOptions;

// Mounts a CalcFs at a folder with libfuse3 and serves its requests one at a time on the
// thread that calls Run, the one that owns the session. Unmounts when it goes.
class MountRunner {
public:
    // Mounts; throws std::runtime_error with the reason when the folder cannot be mounted.
    MountRunner(CalcFs& fs, const std::string& mountpoint, const MountOptions& options);
    ~MountRunner();
    MountRunner(const MountRunner&) = delete;
    MountRunner& operator=(const MountRunner&) = delete;

    // Serves until the folder is unmounted (fusermount3 -u), Stop is called or the
    // calculator's port has gone.
    void Run();
    // Any thread, also a signal handler's: Run returns after the request it is serving.
    void Stop();

private:
    struct FuseDeleter {
        void operator()(struct fuse* f) const;
    };

    CalcFs& fs_;
    std::string mountpoint_;
    std::unique_ptr<struct fuse, FuseDeleter> fuse_;
    bool mounted_ = false;
    int wake_[2] = {-1, -1};  // Stop writes a byte, Run's poll wakes
};

}  // namespace vaddex::mount
