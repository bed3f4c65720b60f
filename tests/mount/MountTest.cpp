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
#include "support/PtyPeer.h"
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

    // Standard error goes to `errorFile` when one is given.
    std::unique_ptr<ChildProcess> Start(const std::vector<std::string>& arguments,
                                        const std::string& errorFile = "") const {
        ChildOptions options;
        options.errorFile = errorFile;
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

// Every everyday tool either gets what it asked for or an error: nothing exits 0 while the
// change was dropped.
TEST_F(MountTest, EveryToolGetsTheChangeOrAnError) {
    const std::string m = Mnt();
    const std::string out = folder_.File("out");
    std::string greeting = Slurp(m + "/GREETING.zq");
    ASSERT_FALSE(greeting.empty());
    ASSERT_TRUE(WriteWholeFile(out + "/g.zq", greeting));
    ASSERT_EQ(Run("touch -d 2002-03-04 " + out + "/g.zq"), 0);
    struct Row {
        std::string command;
        bool works;
        std::string thenTrue;  // a shell test of the result, empty for none
    };
    const Row rows[] = {
        {"echo x >> " + m + "/GREETING.zq", false, "cmp -s " + out + "/g.zq " + m + "/GREETING.zq"},
        {"touch " + m + "/EMPTY.zq", true, "test -f " + m + "/EMPTY.zq"},
        {"truncate -s 100 " + m + "/GREETING.zq", false, ""},
        {"truncate -s 0 " + m + "/GREETING.zq", false, "test -s " + m + "/GREETING.zq"},
        {"chmod 644 " + m + "/GREETING.zq", true, ""},
        {"chmod 600 " + m + "/GREETING.zq", false,
         "test \"$(stat -c %a " + m + "/GREETING.zq)\" = 644"},
        {"chown $(id -u):$(id -g) " + m + "/GREETING.zq", true, ""},
        {"touch -d 2001-02-03 " + m + "/GREETING.zq", true,
         "test \"$(date -r " + m + "/GREETING.zq +%Y)\" = 2001"},
        {"cp -a " + out + "/g.zq " + m + "/CPA.zq", true,
         "test \"$(date -r " + m + "/CPA.zq +%Y)\" = 2002"},
        {"mv " + m + "/CPA.zq " + m + "/MOVED.zq", true,
         "test \"$(date -r " + m + "/MOVED.zq +%Y)\" = 2002"},
        // mv copies a folder into another directory and removes it, without a warning.
        {"mkdir " + m + "/MATHS/TO && mv " + m + "/GAMES " + m + "/MATHS/TO/ 2> " + out + "/mv-dir",
         true,
         "test -f " + m + "/MATHS/TO/GAMES/PLAYER.zq -a ! -e " + m + "/GAMES -a ! -s " + out +
             "/mv-dir"},
        // Names the calculator cannot take: EINVAL, never a question.
        {"cp " + out + "/g.zq " + m + "/1ABC.zq", false, "test ! -e " + m + "/1ABC.zq"},
        {"cp " + out + "/g.zq '" + m + "/A#B.zq'", false, ""},
        {"mv " + m + "/MOVED.zq " + m + "/1ABC.zq 2> " + out + "/mv.txt", false,
         "! grep -q subdirectory " + out + "/mv.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(Run(row.command + " 2>/dev/null") == 0, row.works);
        if (!row.thenTrue.empty()) {
            EXPECT_EQ(Run(row.thenTrue), 0);
        }
    }
    EXPECT_TRUE(mount_->WaitForErr("1ABC", kTimeoutMs)) << "the reason is said";
    EXPECT_EQ(mount_->Err().find("Continue with the command?"), std::string::npos) << mount_->Err();

    // A new file still being written can be opened again, and reads what was written.
    int fd = ::open((m + "/NEW.zq").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, greeting.data(), greeting.size()), static_cast<ssize_t>(greeting.size()));
    EXPECT_EQ(Slurp(m + "/NEW.zq"), greeting);
    EXPECT_EQ(::close(fd), 0);
    EXPECT_EQ(Slurp(m + "/NEW.zq"), greeting) << "sent at close";

    // Past the free memory: dd fails, and nothing of it is sent or kept.
    struct statvfs st {};
    ASSERT_EQ(::statvfs(m.c_str(), &st), 0);
    std::string blocks = std::to_string(st.f_bavail * st.f_frsize / 512 + 2);
    EXPECT_NE(Run("dd if=/dev/zero of=" + m + "/BIG.zq bs=512 count=" + blocks + " 2>/dev/null"),
              0);
    EXPECT_FALSE(fs::exists(m + "/BIG.zq"));
    EXPECT_FALSE(fs::exists(folder_.File("state/vaddex/unsent")) &&
                 Run("ls " + folder_.File("state/vaddex/unsent") + " | grep -q BIG") == 0)
        << "what did not fit is no file the writer meant";
}

TEST_F(MountTest, RsyncArchiveTwiceSendsNothingTheSecondTime) {
    if (Run("command -v rsync > /dev/null") != 0) {
        GTEST_SKIP() << "no rsync here";
    }
    std::string in = folder_.File("out/in");
    fs::create_directories(in);
    std::string greeting = Slurp(Mnt() + "/GREETING.zq");
    for (const char* name : {"ONE.zq", "TWO.zq", "THREE.zq"}) {
        ASSERT_TRUE(WriteWholeFile(in + "/" + name, greeting));
    }
    std::string rsync = "rsync -a --itemize-changes " + in + "/ " + Mnt() + "/RS/ > ";
    ASSERT_EQ(Run(rsync + folder_.File("out/first.txt")), 0);
    EXPECT_NE(Slurp(folder_.File("out/first.txt")).find(">f"), std::string::npos);
    ASSERT_EQ(Run(rsync + folder_.File("out/second.txt")), 0);
    EXPECT_EQ(Slurp(folder_.File("out/second.txt")).find(">f"), std::string::npos)
        << Slurp(folder_.File("out/second.txt"));
}

// Text mode: tools that trust st_size see each text's real size; sed -i and other writers
// of a new file renamed over the old one leave no stray variable; names go through the
// calculator's characters both ways.
TEST_F(MountTest, TextModeToolsSeeTrueSizesAndRenameInPlace) {
    std::unique_ptr<ChildProcess> mount = Start({"-t", "mount", Mnt2()});
    ASSERT_TRUE(mount->WaitForOut("Mounted the calculator's HOME at", kTimeoutMs)) << mount->Err();
    const std::string m = Mnt2();
    const std::string out = folder_.File("out");

    // du counts the blocks of a text nobody has read yet.
    for (const char* text : {"/GAMES/PLAYER.txt", "/GAMES/HISCORE.txt"}) {
        std::string blocks = "$(du -B1 --apparent-size " + m + text + " | cut -f1)";
        std::string size = std::to_string(Slurp(m + text).size());
        EXPECT_EQ(Run("test " + blocks + " = " + size), 0) << text;
    }
    ASSERT_EQ(Run("cd " + m + " && tar cf " + out + "/t.tar *.txt MATHS/*.txt"), 0);
    fs::create_directories(out + "/x/MATHS");
    ASSERT_EQ(Run("tar xf " + out + "/t.tar -C " + out + "/x"), 0);
    for (const auto& entry : fs::recursive_directory_iterator(out + "/x")) {
        if (entry.is_regular_file()) {
            std::string inMount = m + "/" + fs::relative(entry.path(), out + "/x").string();
            EXPECT_EQ(Slurp(entry.path().string()), Slurp(inMount)) << "tar stored it whole";
        }
    }
    EXPECT_TRUE(fs::exists(m + "/MATHS/\u03C0.txt")) << "the calculator's pi shown as UTF-8";

    // Editors that write a new file and rename it over the old one, that one still open.
    for (const auto& [edit, word] :
         {std::pair{"sed -i s/Hello/Hi/", "Hi,"}, std::pair{"perl -pi -e s/Hi/Hey/", "Hey,"}}) {
        ASSERT_EQ(Run(std::string(edit) + " " + m + "/GREETING.txt"), 0) << mount->Err();
        EXPECT_NE(Slurp(m + "/GREETING.txt").find(word), std::string::npos) << edit;
    }
    EXPECT_EQ(Run("test -z \"$(ls -A " + m + " | grep -v -e '[.]txt$' -e GAMES -e MATHS)\""), 0)
        << "no stray file of sed's or perl's";
    // A file without .txt is held, not sent as a variable nobody can see, until it is renamed.
    ASSERT_EQ(WriteAndClose(m + "/NOTES", "\"held\""), 0);
    EXPECT_TRUE(fs::exists(m + "/NOTES"));
    ASSERT_EQ(::rename((m + "/NOTES").c_str(), (m + "/NOTES.txt").c_str()), 0);
    EXPECT_NE(Slurp(m + "/NOTES.txt").find("held"), std::string::npos);
    EXPECT_FALSE(fs::exists(m + "/NOTES"));

    struct Row {
        const char* name;
        int closed;
    };
    const Row rows[] = {{"\u03C0\u03C0.txt", 0}, {"1ABC.txt", EINVAL}, {"\u00C4\u00D6.txt", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(WriteAndClose(m + "/" + row.name, "\"text\""), row.closed);
        EXPECT_EQ(fs::exists(m + "/" + row.name), row.closed == 0);
    }
    EXPECT_EQ(mount->Err().find("Continue with the command?"), std::string::npos) << mount->Err();

    // Texts that would run a command beside their object fail the close and run nothing: GAMES,
    // not listed before, is read from the calculator after them and still holds its items.
    for (const char* text : {"\"x\\\r\\\" GAMES 'HISCORE' PURGE @\"",
                             "%%ZQ: T(3)A(R)F(.);\n\"C:\\\r\\\" HOME 'GAMES' PGDIR @\""}) {
        EXPECT_NE(WriteAndClose(m + "/HACK.txt", text), 0);
        EXPECT_FALSE(fs::exists(m + "/HACK.txt"));
    }
    EXPECT_TRUE(fs::exists(m + "/GAMES/PLAYER.txt"));
    EXPECT_TRUE(fs::exists(m + "/GAMES/HISCORE.txt"));
    ASSERT_EQ(Run("fusermount3 -u " + m), 0);
    EXPECT_EQ(mount->Wait(kTimeoutMs), 0) << mount->Err();
}

// Folders that must not be mounted at say why and what to do; -o ro and uid=/gid= are taken.
TEST_F(MountTest, AFolderInUseIsRefusedWithWhatToDo) {
    const std::string m2 = Mnt2();  // made now: a stale mount point cannot be made again
    std::string full = folder_.File("full");
    fs::create_directories(full);
    ASSERT_TRUE(WriteWholeFile(full + "/mine.txt", "the user's own"));
    struct Row {
        std::vector<std::string> arguments;
        std::string said;
    };
    const Row rows[] = {
        {{"mount", full}, "is not empty"},
        {{"mount", Mnt()}, "is mounted already"},
        {{"-o", "bogus", "mount", m2}, "not a mount option"},
    };
    for (const Row& row : rows) {
        std::unique_ptr<ChildProcess> refused = Start(row.arguments);
        EXPECT_NE(refused->Wait(kTimeoutMs), 0);
        EXPECT_NE(refused->Err().find(row.said), std::string::npos) << refused->Err();
    }

    std::unique_ptr<ChildProcess> mount = Start({"-o", "ro,uid=4321,gid=765", "mount", m2});
    ASSERT_TRUE(mount->WaitForOut("Mounted the calculator's HOME at", kTimeoutMs)) << mount->Err();
    struct stat st {};
    ASSERT_EQ(::stat((m2 + "/GREETING.zq").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321U);
    EXPECT_EQ(st.st_gid, 765U);
    EXPECT_EQ(WriteAndClose(m2 + "/RO.zq", "x"), EROFS);

    // Killed: the folder is left stale, and a new mount says how to clear it.
    mount->Signal(SIGKILL);
    mount->Wait(kTimeoutMs);
    EXPECT_NE(::stat(m2.c_str(), &st), 0);
    EXPECT_EQ(errno, ENOTCONN);
    std::unique_ptr<ChildProcess> again = Start({"mount", m2});
    EXPECT_NE(again->Wait(kTimeoutMs), 0);
    EXPECT_NE(again->Err().find("fusermount3 -u " + m2), std::string::npos) << again->Err();
    EXPECT_EQ(Run("fusermount3 -u " + m2), 0);
}

// --background returns once the folder is mounted; unmounting ends the mount it left. It
// draws nothing into the terminal it was started from, where the user goes on working.
TEST_F(MountTest, InTheBackgroundInTextMode) {
    PtyPeer terminal;
    std::unique_ptr<ChildProcess> start =
        Start({"-t", "--background", "mount", Mnt2()}, terminal.SlavePath());
    ASSERT_EQ(start->Wait(kTimeoutMs), 0) << start->Err();
    EXPECT_NE(start->Out().find("Mounted the calculator's HOME at"), std::string::npos);
    ASSERT_TRUE(IsMounted(Mnt2()));

    std::string text = Slurp(Mnt2() + "/GREETING.txt");
    EXPECT_EQ(text.rfind("%%ZQ: ", 0), 0U) << text;
    ASSERT_EQ(Run("cp " + Mnt2() + "/GREETING.txt " + folder_.File("out/g.txt")), 0);
    EXPECT_EQ(Slurp(folder_.File("out/g.txt")), text) << "cp reads the whole text";
    EXPECT_EQ(terminal.Read(1, 500), "") << "no progress bar in the terminal";

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
