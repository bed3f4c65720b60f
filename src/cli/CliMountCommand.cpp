// The calculator as a folder: the mount command.

#include <unistd.h>

#include <exception>
#include <iostream>
#include <stdexcept>

#include "cli/BackgroundStart.h"
#include "cli/CliCommands.h"
#include "cli/CliErrors.h"
#include "cli/SignalStop.h"
#include "mount/CalcFs.h"
#include "mount/MountOptions.h"
#include "mount/MountRunner.h"
#include "util/FileIo.h"
#include "util/ScopeExit.h"
#include "util/Trace.h"

namespace vaddex::cli {

namespace {
constexpr int kDefaultRefreshSeconds = 10;
}  // namespace

void CliCommands::CheckMountPoint(const CliOptions& options) {
    mount::MountOptions mountOptions;
    try {
        mountOptions = mount::MountOptions::Parse(options.mountOptions);
    } catch (const std::invalid_argument& e) {
        throw UsageError(e.what());
    }
    std::string fuseConf;
    ReadWholeFile("/etc/fuse.conf", fuseConf);
    if (std::string why = mountOptions.Refusal(options.arguments[0], fuseConf, ::geteuid() == 0);
        !why.empty()) {
        throw CommandFailed(why);
    }
}

int CliCommands::Mount() {
    Connect();
    const std::string& mountpoint = options_.arguments[0];
    mount::CalcFs::Settings settings;
    settings.refreshSeconds = options_.refreshSeconds.value_or(kDefaultRefreshSeconds);
    settings.unsentFolder = mount::CalcFs::DefaultUnsentFolder();
    settings.report = [this](const std::string& text) { ui_.Notice(text); };
    mount::MountOptions mountOptions = mount::MountOptions::Parse(options_.mountOptions);
    settings.uid = mountOptions.uid.value_or(settings.uid);
    settings.gid = mountOptions.gid.value_or(settings.gid);
    settings.trustReads = !options_.checksum;
    mount::CalcFs fs(commands_, settings);
    std::unique_ptr<mount::MountRunner> runner;
    try {
        runner = std::make_unique<mount::MountRunner>(fs, mountpoint, mountOptions);
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
