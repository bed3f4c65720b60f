// The calculator as a folder: the mount command.

#include <sys/stat.h>

#include <exception>
#include <iostream>

#include "cli/BackgroundStart.h"
#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/SignalStop.h"
#include "mount/CalcFs.h"
#include "mount/MountRunner.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex::cli {

namespace {
constexpr int kDefaultRefreshSeconds = 10;
}  // namespace

void CliCommands::CheckMountPoint(const CliOptions& options) {
    const std::string& path = options.arguments[0];
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        throw CommandFailed(path + ": no such folder");
    }
}

int CliCommands::Mount() {
    Connect();
    const std::string& mountpoint = options_.arguments[0];
    mount::CalcFs::Settings settings;
    settings.refreshSeconds = options_.refreshSeconds.value_or(kDefaultRefreshSeconds);
    settings.unsentFolder = mount::CalcFs::DefaultUnsentFolder();
    settings.report = [this](const std::string& text) { ui_.Notice(text); };
    mount::CalcFs fs(commands_, settings);
    std::unique_ptr<mount::MountRunner> runner;
    try {
        runner = std::make_unique<mount::MountRunner>(fs, mountpoint);
    } catch (const std::runtime_error& e) {
        throw CommandFailed(e.what());
    }
    SignalStop stop([&runner] { runner->Stop(); });
    out_ << "Mounted the calculator's HOME at " << mountpoint << " (fusermount3 -u " << mountpoint
         << " ends it)\n"
         << std::flush;
    BackgroundStart::Detach();
    {
        ScopeExit keep([&fs] {
            try {
                fs.KeepHeldFiles();
            } catch (const std::exception& e) {
                Trace(std::string("mount: held files not kept: ") + e.what());
            }
        });
        runner->Run();
    }
    if (fs.PortHasGone()) {
        throw CommandFailed("the calculator's port " + fs.Port() + " is gone; " + mountpoint +
                            " is unmounted");
    }
    return kSuccess;
}

}  // namespace vaddex::cli
