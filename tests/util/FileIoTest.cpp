#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TempDir.h"
#include "util/AppPaths.h"
#include "util/Errors.h"
#include "util/FileIo.h"

namespace vaddex {
namespace {

TEST(FileIo, WholeFileRoundTripKeepsEveryByte) {
    test::TempDir dir;
    std::string data;
    for (int i = 0; i < 70000; ++i) {
        data.push_back(static_cast<char>(i * 7));
    }
    ASSERT_TRUE(WriteWholeFile(dir.File("a.zq"), data));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(dir.File("a.zq"), back));
    EXPECT_EQ(back, data);

    ASSERT_TRUE(WriteWholeFile(dir.File("a.zq"), "short"));
    ASSERT_TRUE(ReadWholeFile(dir.File("a.zq"), back));
    EXPECT_EQ(back, "short");
}

TEST(FileIo, FailuresReportTheSystemErrorAndLeaveNothingBehind) {
    test::TempDir dir;
    std::string out = "stale";
    int error = 0;
    EXPECT_FALSE(ReadWholeFile(dir.File("missing"), out, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_TRUE(out.empty());

    EXPECT_FALSE(WriteWholeFile(dir.File("no/such/folder/x"), "data", &error));
    EXPECT_EQ(error, ENOENT);

    // Targets that no one may write, root included. Under a regular file nothing is created;
    // over a folder the temporary file is written beside it, cannot take its place and must
    // not stay behind.
    ASSERT_TRUE(WriteWholeFile(dir.File("keep"), "old"));
    EXPECT_FALSE(WriteWholeFile(dir.File("keep/x"), "new", &error));
    EXPECT_EQ(error, ENOTDIR);
    std::filesystem::create_directory(dir.File("folder"));
    ASSERT_TRUE(WriteWholeFile(dir.File("folder/inside"), "kept"));
    error = 0;
    EXPECT_FALSE(WriteWholeFile(dir.File("folder"), "new", &error));
    EXPECT_NE(error, 0);
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(dir.File("keep"), back));
    EXPECT_EQ(back, "old");
    int entries = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2) << "a temporary file stayed behind";
}

TEST(FileIo, PathPieces) {
    EXPECT_EQ(FileNameOf("a/b/c.zq"), "c.zq");
    EXPECT_EQ(FileNameOf("c.zq"), "c.zq");
    EXPECT_EQ(FolderOf("a/b/c.zq"), "a/b/");
    EXPECT_EQ(FolderOf("c.zq"), "");
}

TEST(AppPaths, TempFolderIsPrivateAndStable) {
    std::string folder = TempFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(TempFolder(), folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(AppPaths, DataFolderFollowsTheEnvironment) {
    ::setenv("VADDEX_DATA_DIR", "/some/where", 1);
    EXPECT_EQ(DataFolder(), "/some/where/");
    ::unsetenv("VADDEX_DATA_DIR");
    EXPECT_EQ(DataFolder().back(), '/');
    EXPECT_EQ(ProgramFolder().back(), '/');
}

TEST(AppPaths, MissingDataFileNamesEveryFolderLookedIn) {
    ::unsetenv("VADDEX_DATA_DIR");
    std::vector<std::string> folders = DataFolders();
    ASSERT_GE(folders.size(), 2u);
    EXPECT_NE(DataFilePath("ArchK7.zq").find("ArchK7.zq"), std::string::npos);
    try {
        DataFilePath("NoSuch.zq");
        ADD_FAILURE() << "no error";
    } catch (const OperationError& e) {
        std::string text = e.what();
        EXPECT_EQ(text.rfind("Error (Unable to open file " + folders[0] + "NoSuch.zq 2: ", 0), 0u)
            << text;
        for (const auto& folder : folders) {
            EXPECT_NE(text.find(folder), std::string::npos) << folder << " missing from " << text;
        }
    }
}

}  // namespace
}  // namespace vaddex
