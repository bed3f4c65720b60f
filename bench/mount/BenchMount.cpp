// vaddex-cli mount against vaddex-cli get, on one zqsim paced at 115200 bit/s on a
// pseudo-terminal: a 100 KB string copied out of a fresh mount against one get of it, and ten
// 1 KB strings copied out with one cp against ten gets; and `ls -l` of a directory of twenty
// small variables in text mode, where each text is made to give its true size, against the
// same `ls -l` of the binary mount. Every get is a whole invocation that
// connects, identifies and lists, so each mount time runs from starting vaddex-cli mount (the
// same connect) until cp has ended; the unmount after it is not timed. Both sides write the
// objects to files, and those must be the same bytes.

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "BenchKit.h"
#include "BenchPrograms.h"
#include "support/PatternText.h"

namespace {

using vaddex::bench::FirstLine;
using vaddex::bench::Process;
using vaddex::bench::RunToEnd;
using vaddex::bench::Seconds;
using vaddex::bench::StringFile;

namespace fs = std::filesystem;

constexpr const char* kFusermount = "/usr/bin/fusermount3";
constexpr const char* kLineSpeed = "115200";
constexpr std::size_t kBigChars = 100 * 1000;
constexpr int kSmall = 10;
constexpr std::size_t kSmallChars = 1000;
constexpr int kMountWaitMs = 60000;
constexpr double kBigTarget = 0.97;
constexpr double kSmallTarget = 0.3;
constexpr int kListed = 20;
constexpr std::size_t kListedChars = 100;

bool IsMounted(const fs::path& folder) {
    struct stat inside {};
    struct stat parent {};
    return ::stat(folder.c_str(), &inside) == 0 && ::stat((folder / "..").c_str(), &parent) == 0 &&
           inside.st_dev != parent.st_dev;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string SmallName(int i) {
    return "KB" + std::to_string(i);
}

class Bench {
public:
    Bench(const fs::path& folder, std::string port) : folder_(folder), port_(std::move(port)) {}

    void Cli(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {VADDEX_CLI_PATH, "-p", port_, "-s", kLineSpeed});
        RunToEnd(arguments, Out("cli-out.txt"));
    }

    // Seconds from starting the mount until `cp` of the mount's files into `to` has ended;
    // `upSeconds` is the part until the mount said it is there.
    double CopyOut(const std::vector<std::string>& files, const fs::path& to, double& upSeconds) {
        fs::path mnt = folder_ / "mnt";
        fs::path said = folder_ / "mount-out.txt";
        auto start = std::chrono::steady_clock::now();
        Process mount({VADDEX_CLI_PATH, "-p", port_, "-s", kLineSpeed, "mount", mnt.string()},
                      said.string());
        if (!vaddex::bench::WaitForText(said, "Mounted the calculator's HOME at", kMountWaitMs) ||
            !IsMounted(mnt)) {
            throw std::runtime_error("the mount did not come up: " + Slurp(said) +
                                     Slurp(said.string() + ".err"));
        }
        upSeconds = Seconds(start);
        std::vector<std::string> cp = {"cp"};
        for (const std::string& file : files) {
            cp.push_back((mnt / file).string());
        }
        cp.push_back(to.string());
        RunToEnd(cp, Out("cp-out.txt"));
        double seconds = Seconds(start);
        RunToEnd({kFusermount, "-u", mnt.string()}, Out("fusermount-out.txt"));
        if (mount.Wait() != 0) {
            throw std::runtime_error("the mount ended with a failure");
        }
        return seconds;
    }

    // Seconds of `ls -l` of a directory of a mount that is up, in text mode or not.
    double ListLong(bool text, const std::string& directory) {
        fs::path mnt = folder_ / "mnt";
        fs::path said = folder_ / "mount-out.txt";
        std::vector<std::string> arguments = {VADDEX_CLI_PATH, "-p", port_, "-s", kLineSpeed};
        if (text) {
            arguments.push_back("-t");
        }
        arguments.insert(arguments.end(), {"mount", mnt.string()});
        Process mount(arguments, said.string());
        if (!vaddex::bench::WaitForText(said, "Mounted the calculator's HOME at", kMountWaitMs) ||
            !IsMounted(mnt)) {
            throw std::runtime_error("the mount did not come up: " + Slurp(said) +
                                     Slurp(said.string() + ".err"));
        }
        auto start = std::chrono::steady_clock::now();
        RunToEnd({"ls", "-l", (mnt / directory).string()}, Out(text ? "ls-t.txt" : "ls.txt"));
        double seconds = Seconds(start);
        RunToEnd({kFusermount, "-u", mnt.string()}, Out("fusermount-out.txt"));
        if (mount.Wait() != 0) {
            throw std::runtime_error("the mount ended with a failure");
        }
        return seconds;
    }

    std::string Out(const std::string& name) const { return (folder_ / name).string(); }

private:
    fs::path folder_;
    std::string port_;
};

void CheckSame(const fs::path& got, const fs::path& mounted) {
    std::string expected = Slurp(got);
    if (expected.empty() || Slurp(mounted) != expected) {
        throw std::runtime_error(mounted.string() + " is not the bytes get wrote in " +
                                 got.string());
    }
}

int Run(const fs::path& folder) {
    for (const char* name : {"home", "config", "state", "mnt", "get", "mounted"}) {
        fs::create_directories(folder / name);
    }
    // The programs' settings, state and ports are the run's own.
    ::setenv("HOME", (folder / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    ::setenv("VADDEX_EXTRA_PORTS", "", 1);

    Process sim({ZQSIM_PATH, "--pace", "--memory", "1048576"}, (folder / "zqsim-out.txt").string());
    Bench bench(folder, FirstLine(folder / "zqsim-out.txt"));

    std::vector<std::string> put = {"--yes"};
    std::string bigFile = (folder / "BIG.zq").string();
    std::ofstream(bigFile, std::ios::binary) << StringFile(vaddex::test::PatternText(kBigChars));
    put.insert(put.end(), {"-e", "put " + bigFile});
    for (int i = 0; i < kSmall; ++i) {
        std::string file = (folder / (SmallName(i) + ".zq")).string();
        std::ofstream(file, std::ios::binary) << StringFile(std::string(kSmallChars, 'a' + i));
        put.insert(put.end(), {"-e", "put " + file});
    }
    put.insert(put.end(), {"-e", "mkdir LISTED"});
    for (int i = 0; i < kListed; ++i) {
        std::string file = (folder / ("L" + std::to_string(i) + ".zq")).string();
        std::ofstream(file, std::ios::binary) << StringFile(std::string(kListedChars, 'a' + i));
        put.insert(put.end(), {"-e", "put -C LISTED " + file});
    }
    bench.Cli(put);

    auto start = std::chrono::steady_clock::now();
    bench.Cli({"get", "BIG", (folder / "get/BIG.zq").string()});
    double bigGet = Seconds(start);
    double bigUp = 0;
    double bigMount = bench.CopyOut({"BIG.zq"}, folder / "mounted", bigUp);
    CheckSame(folder / "get/BIG.zq", folder / "mounted/BIG.zq");

    std::vector<std::string> smallFiles;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSmall; ++i) {
        smallFiles.push_back(SmallName(i) + ".zq");
        bench.Cli({"get", SmallName(i), (folder / "get" / smallFiles.back()).string()});
    }
    double smallGets = Seconds(start);
    double smallUp = 0;
    double smallMount = bench.CopyOut(smallFiles, folder / "mounted", smallUp);
    for (const std::string& file : smallFiles) {
        CheckSame(folder / "get" / file, folder / "mounted" / file);
    }

    double listBinary = bench.ListLong(false, "LISTED");
    double listText = bench.ListLong(true, "LISTED");
    if (Slurp(folder / "ls-t.txt").find(" 0 ") != std::string::npos) {
        throw std::runtime_error("ls -l of the text mount shows a size of 0");
    }

    std::printf("vaddex-cli mount against get, zqsim paced at %s bit/s; the files are the same\n",
                kLineSpeed);
    std::printf("%zu-character string:\n", kBigChars);
    std::printf("  get:                  %.2f s\n", bigGet);
    std::printf("  mount and cp:         %.2f s (mounted after %.2f s)\n", bigMount, bigUp);
    std::printf("  ratio get / mount: %.3f (target >= %.2f)\n", bigGet / bigMount, kBigTarget);
    std::printf("%d %zu-character strings:\n", kSmall, kSmallChars);
    std::printf("  separate gets:        %.2f s\n", smallGets);
    std::printf("  mount and one cp:     %.2f s (mounted after %.2f s)\n", smallMount, smallUp);
    std::printf("  ratio mount / gets: %.3f (target <= %.2f)\n", smallMount / smallGets,
                kSmallTarget);
    std::printf("ls -l of %d %zu-character strings:\n", kListed, kListedChars);
    std::printf("  binary mount:         %.2f s\n", listBinary);
    std::printf("  text mount (-t):      %.2f s (%.2f s a variable)\n", listText,
                listText / kListed);
    std::printf("  ratio text / binary: %.1f\n", listText / listBinary);
    return 0;
}

}  // namespace

int main() {
    if (!fs::exists("/dev/fuse") || ::access(kFusermount, X_OK) != 0) {
        std::printf("bench_mount skipped: no /dev/fuse or no %s, so nothing can be mounted\n",
                    kFusermount);
        return 0;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    fs::path folder = fs::temp_directory_path() / ("bench-mount-" + std::to_string(::getpid()));
    int status = vaddex::bench::RunGuarded([&] { return Run(folder); });
    // Removing the folder through a mount still there would delete the calculator's files.
    if (IsMounted(folder / "mnt")) {
        Process unmount({kFusermount, "-u", (folder / "mnt").string()}, "/dev/null");
        unmount.Wait();
    }
    if (IsMounted(folder / "mnt")) {
        std::printf("%s is still mounted and is left in place\n", (folder / "mnt").c_str());
        return 1;
    }
    std::error_code error;
    fs::remove_all(folder, error);
    return status;
}
