// vaddex-cli mount against its built-in calculator, used through the kernel like any folder.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "objects/CalcNames.h"
#include "objects/TextTranslation.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "support/ZqsimProcess.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutMs = 60000;

std::string Slurp(const std::string& path) {
    std::string data;
    ReadWholeFile(path, data);
    return data;
}

bool IsMounted(const std::string& folder) {
    struct stat inside {};
    struct stat parent {};
    return ::stat(folder.c_str(), &inside) == 0 && ::stat((folder + "/..").c_str(), &parent) == 0 &&
           inside.st_dev != parent.st_dev;
}

// Writes through open/write/close and gives the errno of close (0 when it worked).
int WriteAndClose(const std::string& path, const std::string& data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return errno;
    }
    ssize_t written = ::write(fd, data.data(), data.size());
    int writeError = written == static_cast<ssize_t>(data.size()) ? 0 : errno;
    int closed = ::close(fd);
    return writeError != 0 ? writeError : closed == 0 ? 0 : errno;
}

class MountTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists("/dev/fuse") || ::access("/usr/bin/fusermount3", X_OK) != 0) {
            GTEST_SKIP() << "no /dev/fuse or no fusermount3: the mount cannot be tried here";
        }
        for (const char* name : {"home", "config", "state", "mnt", "out", "tmp"}) {
            fs::create_directories(folder_.File(name));
        }
        mount_ = Start({"--trace", folder_.File("trace.txt"), "--refresh", "1000", "mount", Mnt()});
        ASSERT_TRUE(mount_->WaitForOut("Mounted the calculator's HOME at", kTimeoutMs))
            << mount_->Err();
        ASSERT_TRUE(IsMounted(Mnt()));
    }

    void TearDown() override {
        if (IsMounted(folder_.File("mnt2"))) {
            Run("fusermount3 -u " + folder_.File("mnt2"));  // a test's own mount that failed
        }
        if (mount_ == nullptr) {
            return;
        }
        if (IsMounted(Mnt())) {
            Run("fusermount3 -u " + Mnt());
        }
        EXPECT_EQ(mount_->Wait(kTimeoutMs), 0) << mount_->Err();
        EXPECT_FALSE(IsMounted(Mnt()));
        ExpectNoTemporaryFile();
    }

    void ExpectNoTemporaryFile() const {
        for (const auto& entry : fs::recursive_directory_iterator(folder_.File("tmp"))) {
            ADD_FAILURE() << "left behind: " << entry.path();
        }
    }

    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments) const {
        ChildOptions options;
        options.argv = {VADDEX_CLI_PATH};
        if (std::find(arguments.begin(), arguments.end(), "-p") == arguments.end()) {
            options.argv.insert(options.argv.end(), {"-p", "sim"});
        }
        options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
        options.environment = {{"HOME", folder_.File("home")},
                               {"TMPDIR", folder_.File("tmp")},
                               {"XDG_CONFIG_HOME", folder_.File("config")},
                               {"XDG_STATE_HOME", folder_.File("state")},
                               {"VADDEX_EXTRA_PORTS", ""}};
        options.folder = folder_.File("out");
        return std::make_unique<ChildProcess>(options);
    }

    // A shell command; its exit status.
    static int Run(const std::string& command) { return std::system(command.c_str()); }

    std::string Mnt() const { return folder_.File("mnt"); }
    // A second mount point, for a mount of a test's own.
    std::string Mnt2() const {
        fs::create_directories(folder_.File("mnt2"));
        return folder_.File("mnt2");
    }
    // How often the mount's trace holds the text.
    std::size_t Traced(const std::string& text) const {
        std::string trace = Slurp(folder_.File("trace.txt"));
        std::size_t count = 0;
        for (std::size_t at = trace.find(text); at != std::string::npos;
             at = trace.find(text, at + 1)) {
            ++count;
        }
        return count;
    }
    std::size_t Listings() const { return Traced("mount: the listing was read"); }

    TempDir folder_;
    std::unique_ptr<ChildProcess> mount_;
};

TEST_F(MountTest, EveryFileIsWhatGetWritesAndTheTreeCostsNoListing) {
    ASSERT_EQ(Run("ls -lR " + Mnt() + " > " + folder_.File("ls.txt")), 0);
    EXPECT_EQ(Listings(), 0U) << "the tree the connect read serves ls -lR";
    EXPECT_NE(Slurp(folder_.File("ls.txt")).find("GREETING.zq"), std::string::npos);

    // One session of gets, so that the built-in calculator starts once.
    std::vector<fs::path> files;
    std::vector<std::string> arguments;
    for (const auto& entry : fs::recursive_directory_iterator(Mnt())) {
        if (!entry.is_regular_file()) {
            continue;
        }
        fs::path relative = fs::relative(entry.path(), Mnt());
        std::string directory = "HOME";
        for (const auto& part : relative.parent_path()) {
            directory += "/" + part.string();
        }
        // The folder shows the calculator's characters in UTF-8; get takes the display form.
        std::string name = CalcNameToPc(Utf8ToCalc(relative.stem().string()), false);
        arguments.insert(arguments.end(), {"-e", "get -C " + directory + " '" + name + "' got-" +
                                                     std::to_string(files.size()) + ".zq"});
        files.push_back(entry.path());
    }
    std::unique_ptr<ChildProcess> get = Start(arguments);
    ASSERT_EQ(get->Wait(kTimeoutMs), 0) << get->Err();
    std::size_t gets = Traced("] send command = G");  // the connect's own
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].string());
        std::string expected = Slurp(folder_.File("out/got-" + std::to_string(i) + ".zq"));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(fs::file_size(files[i]), expected.size()) << "stat gives the file's exact size";
        EXPECT_EQ(Slurp(files[i].string()), expected);
        EXPECT_EQ(Slurp(files[i].string()), expected) << "the second read, from the cache";
    }
    EXPECT_GT(files.size(), 3U);
    EXPECT_EQ(Traced("] send command = G") - gets, files.size())
        << "each fetched once for two reads";
    EXPECT_EQ(Listings(), 0U);

    struct statvfs st {};
    ASSERT_EQ(::statvfs(Mnt().c_str(), &st), 0);
    EXPECT_GT(st.f_bavail * st.f_frsize, 0U) << "df shows the free memory";
}

TEST_F(MountTest, ChangesThroughTheFolderReachTheCalculator) {
    std::string greeting = Slurp(Mnt() + "/GREETING.zq");
    ASSERT_FALSE(greeting.empty());
    ASSERT_TRUE(WriteWholeFile(folder_.File("out/copy.zq"), greeting));

    ASSERT_EQ(Run("cp " + folder_.File("out/copy.zq") + " " + Mnt() + "/COPY.zq"), 0);
    EXPECT_EQ(Slurp(Mnt() + "/COPY.zq"), greeting) << "read back from the calculator";

    ASSERT_EQ(::mkdir((Mnt() + "/NEWDIR").c_str(), 0755), 0) << std::strerror(errno);
    EXPECT_TRUE(fs::is_directory(Mnt() + "/NEWDIR"));
    ASSERT_EQ(::rename((Mnt() + "/COPY.zq").c_str(), (Mnt() + "/RENAMED.zq").c_str()), 0);
    EXPECT_FALSE(fs::exists(Mnt() + "/COPY.zq"));
    EXPECT_EQ(::rename((Mnt() + "/RENAMED.zq").c_str(), (Mnt() + "/NEWDIR/R.zq").c_str()), -1);
    EXPECT_EQ(errno, EXDEV);
    ASSERT_EQ(Run("mv " + Mnt() + "/RENAMED.zq " + Mnt() + "/NEWDIR/"), 0) << "copy and delete";
    EXPECT_EQ(Slurp(Mnt() + "/NEWDIR/RENAMED.zq"), greeting);
    EXPECT_FALSE(fs::exists(Mnt() + "/RENAMED.zq"));

    EXPECT_EQ(::rmdir((Mnt() + "/NEWDIR").c_str()), -1);
    EXPECT_EQ(errno, ENOTEMPTY);
    ASSERT_EQ(::unlink((Mnt() + "/NEWDIR/RENAMED.zq").c_str()), 0);
    ASSERT_EQ(::rmdir((Mnt() + "/NEWDIR").c_str()), 0);
    EXPECT_FALSE(fs::exists(Mnt() + "/NEWDIR"));
    EXPECT_EQ(::mkdir((Mnt() + "/HOME").c_str(), 0755), -1);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(MountTest, APutThatFailsFailsCloseAndKeepsTheData) {
    std::string greeting = Slurp(Mnt() + "/GREETING.zq");
    struct Case {
        const char* name;
        std::string data;
        int error;
    };
    const Case cases[] = {
        {"JUNK.zq", "no object of the calculator's", EIO},
        {"HOME.zq", greeting, EINVAL},
        {"New File.zq", greeting, EINVAL},  // a file manager's name, with a blank
    };
    std::string unsent = folder_.File("state/vaddex/unsent");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WriteAndClose(Mnt() + "/" + c.name, c.data), c.error);
        EXPECT_FALSE(fs::exists(Mnt() + "/" + c.name));
        std::string kept;
        for (const auto& entry : fs::directory_iterator(unsent)) {
            if (Slurp(entry.path().string()) == c.data) {
                kept = entry.path().string();
            }
        }
        ASSERT_FALSE(kept.empty()) << "the data is in " << unsent;
        EXPECT_TRUE(mount_->WaitForErr(kept, kTimeoutMs)) << "the message names it";
    }

    // More than the free memory is never buffered: the write itself fails.
    struct statvfs st {};
    ASSERT_EQ(::statvfs(Mnt().c_str(), &st), 0);
    std::string huge(st.f_bavail * st.f_frsize + 1, 'x');
    EXPECT_EQ(WriteAndClose(Mnt() + "/HUGE.zq", huge), ENOSPC);
}

TEST_F(MountTest, SigtermUnmountsAndEnds) {
    mount_->Signal(SIGTERM);
    EXPECT_EQ(mount_->Wait(kTimeoutMs), 128 + SIGTERM) << mount_->Err();
    EXPECT_FALSE(IsMounted(Mnt()));
    mount_.reset();
}

TEST_F(MountTest, RsyncCopiesTheTreeOutAndAFolderIn) {
    if (Run("command -v rsync > /dev/null") != 0) {
        GTEST_SKIP() << "no rsync here";
    }
    std::string out = folder_.File("out/tree");
    ASSERT_EQ(Run("rsync -r " + Mnt() + "/ " + out + "/"), 0);
    ASSERT_EQ(Run("diff -r " + Mnt() + " " + out), 0) << "the copy is the tree";

    // rsync writes each file under a hidden name and renames it.
    std::string in = folder_.File("out/in");
    fs::create_directories(in);
    std::string greeting = Slurp(Mnt() + "/GREETING.zq");
    ASSERT_TRUE(WriteWholeFile(in + "/ONE.zq", greeting));
    ASSERT_TRUE(WriteWholeFile(in + "/TWO.zq", greeting));
    ASSERT_EQ(Run("rsync -r " + in + "/ " + Mnt() + "/IN/"), 0);
    EXPECT_EQ(Slurp(Mnt() + "/IN/ONE.zq"), greeting);
    EXPECT_EQ(Slurp(Mnt() + "/IN/TWO.zq"), greeting);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(Mnt() + "/IN")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 2U) << "no hidden file of rsync's is left";
}

// A pulled cable: the put fails the close with the data kept, and since the port has gone
// the mount ends by itself, unmounted.
TEST_F(MountTest, APulledCableFailsCloseAndEndsTheMount) {
    ZqsimProcess sim;
    std::unique_ptr<ChildProcess> mount = Start({"-p", sim.Port(), "mount", Mnt2()});
    ASSERT_TRUE(mount->WaitForOut("Mounted the calculator's HOME at", kTimeoutMs)) << mount->Err();
    std::string greeting = Slurp(Mnt2() + "/GREETING.zq");
    ASSERT_FALSE(greeting.empty());

    sim.Console("fault pull-after=2");
    EXPECT_EQ(WriteAndClose(Mnt2() + "/PULLED.zq", greeting), EIO);
    bool kept = false;
    for (const auto& entry : fs::directory_iterator(folder_.File("state/vaddex/unsent"))) {
        kept = kept || Slurp(entry.path().string()) == greeting;
    }
    EXPECT_TRUE(kept) << "the data is in the unsent folder";
    EXPECT_EQ(mount->Wait(kTimeoutMs), 1) << mount->Err();
    EXPECT_NE(mount->Err().find("is gone"), std::string::npos) << mount->Err();
    EXPECT_FALSE(IsMounted(Mnt2()));
}

// --background returns once the folder is mounted; unmounting ends the mount it left.
TEST_F(MountTest, InTheBackgroundInTextMode) {
    std::unique_ptr<ChildProcess> start = Start({"-t", "--background", "mount", Mnt2()});
    ASSERT_EQ(start->Wait(kTimeoutMs), 0) << start->Err();
    EXPECT_NE(start->Out().find("Mounted the calculator's HOME at"), std::string::npos);
    ASSERT_TRUE(IsMounted(Mnt2()));

    std::string text = Slurp(Mnt2() + "/GREETING.txt");
    EXPECT_EQ(text.rfind("%%ZQ: ", 0), 0U) << text;
    ASSERT_EQ(Run("cp " + Mnt2() + "/GREETING.txt " + folder_.File("out/g.txt")), 0);
    EXPECT_EQ(Slurp(folder_.File("out/g.txt")), text) << "cp reads the whole text";

    ASSERT_EQ(Run("fusermount3 -u " + Mnt2()), 0);
    // The mount left running has no parent here to wait for it: it is gone once no process
    // names the mount point any more.
    // "[m]nt2" keeps the shell that runs pgrep from matching itself.
    std::string pattern = "background mount " + folder_.File("[m]nt2");
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = Run("pgrep -f -- '" + pattern + "' > /dev/null") != 0;
        if (!ended) {
            ::usleep(50000);
        }
    }
    EXPECT_TRUE(ended) << "the mount's process ends with the unmount";
    EXPECT_FALSE(IsMounted(Mnt2()));
}

}  // namespace
}  // namespace vaddex::test
