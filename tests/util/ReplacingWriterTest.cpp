// The writer that makes or replaces a user's file: whole or not at all, through links, and
// never at the cost of something that is not a regular file.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "support/TempDir.h"
#include "util/Errors.h"
#include "util/FileIo.h"
#include "util/ReplacingWriter.h"

namespace vaddex {
namespace {

std::string Bytes(const std::string& path) {
    std::string data;
    EXPECT_TRUE(ReadWholeFile(path, data)) << path;
    return data;
}

int EntryCount(const std::string& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

mode_t Kind(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & S_IFMT;
}

TEST(ReplacingWriter, ReplacesKeepingTheModeAndLeavesNoTemporaryEvenForTheLongestName) {
    test::TempDir dir;
    std::string path = dir.File("old.zq");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(ReplacingWriter(path).Write("new"));
    EXPECT_EQ(Bytes(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A temporary named after the target would pass the file-name limit here.
    std::string longest = dir.File(std::string(251, 'N') + ".zq");
    ASSERT_TRUE(ReplacingWriter(longest).Write("first"));
    ASSERT_TRUE(ReplacingWriter(longest).Write("second"));
    EXPECT_EQ(Bytes(longest), "second");
    EXPECT_EQ(EntryCount(dir.Path()), 2);
}

TEST(ReplacingWriter, WritesThroughSymbolicLinksAndCreatesWhatADanglingOneNames) {
    test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("real.zq"), "stale"));
    ASSERT_EQ(::symlink("real.zq", dir.File("link.zq").c_str()), 0);
    ASSERT_EQ(::symlink("link.zq", dir.File("chain.zq").c_str()), 0);
    ASSERT_TRUE(ReplacingWriter(dir.File("chain.zq")).Write("fresh"));
    EXPECT_EQ(Kind(dir.File("link.zq")), S_IFLNK);
    EXPECT_EQ(Kind(dir.File("chain.zq")), S_IFLNK);
    EXPECT_EQ(Bytes(dir.File("real.zq")), "fresh");

    ASSERT_EQ(::symlink("made.zq", dir.File("dangling.zq").c_str()), 0);
    ASSERT_TRUE(ReplacingWriter(dir.File("dangling.zq")).Write("made"));
    EXPECT_EQ(Kind(dir.File("dangling.zq")), S_IFLNK);
    EXPECT_EQ(Bytes(dir.File("made.zq")), "made");

    ASSERT_EQ(::symlink("loop.zq", dir.File("loop.zq").c_str()), 0);
    ReplacingWriter loop(dir.File("loop.zq"));
    EXPECT_FALSE(loop.Write("x"));
    EXPECT_EQ(loop.ErrorCode(), ELOOP);
    EXPECT_EQ(Kind(dir.File("loop.zq")), S_IFLNK);
}

TEST(ReplacingWriter, WritesIntoDevicesAndReadFifosDirectly) {
    ASSERT_TRUE(ReplacingWriter("/dev/null").Write("gone"));
    EXPECT_EQ(Kind("/dev/null"), S_IFCHR);

    test::TempDir dir;
    std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Bytes(fifo); });
    // The reader may not have opened its end yet: the writer refuses rather than blocks.
    bool written = false;
    for (int attempt = 0; attempt < 500 && !written; ++attempt) {
        written = ReplacingWriter(fifo).Write("through the pipe");
        if (!written) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    reader.join();
    EXPECT_TRUE(written);
    EXPECT_EQ(received, "through the pipe");
    EXPECT_EQ(Kind(fifo), S_IFIFO);
}

TEST(ReplacingWriter, RefusesWhatCannotBeWrittenAndLeavesItAlone) {
    test::TempDir dir;
    std::string fifo = dir.File("unread");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ReplacingWriter unread(fifo);
    EXPECT_FALSE(unread.Write("x"));
    EXPECT_NE(unread.Refusal().find("no program reads"), std::string::npos);
    EXPECT_EQ(Kind(fifo), S_IFIFO);

    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0700), 0);
    ReplacingWriter folder(dir.File("folder"));
    EXPECT_FALSE(folder.Write("x"));
    EXPECT_EQ(folder.Refusal(), "is a folder");

    EXPECT_THROW(WriteUserFile(dir.File("folder"), "x"), OperationError);
    EXPECT_EQ(EntryCount(dir.Path()), 2);
}

// Checked before a long transfer: the answer Write would give, and nothing left behind.
TEST(ReplacingWriter, CanWriteForeseesWritesWithoutMakingAnything) {
    test::TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.File("plain"), "x"));
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_TRUE(ReplacingWriter(dir.File("new")).CanWrite());
    EXPECT_TRUE(ReplacingWriter(dir.File("plain")).CanWrite());
    EXPECT_TRUE(ReplacingWriter(dir.File("pipe")).CanWrite()) << "a reader may come later";
    ReplacingWriter folder(dir.File("folder"));
    EXPECT_FALSE(folder.CanWrite());
    EXPECT_EQ(folder.Refusal(), "is a folder");
    ReplacingWriter under(dir.File("plain") + "/x");
    EXPECT_FALSE(under.CanWrite());
    EXPECT_EQ(under.ErrorCode(), ENOTDIR);
    ReplacingWriter nowhere(dir.File("none") + "/x");
    EXPECT_FALSE(nowhere.CanWrite());
    EXPECT_EQ(nowhere.ErrorCode(), ENOENT);
    EXPECT_EQ(EntryCount(dir.Path()), 3);
    EXPECT_EQ(Bytes(dir.File("plain")), "x");
}

}  // namespace
}  // namespace vaddex
