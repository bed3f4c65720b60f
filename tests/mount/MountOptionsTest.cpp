// The mount's -o words and the folders it refuses, without mounting anything.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "mount/MountOptions.h"
#include "support/TempDir.h"
#include "util/FileIo.h"

namespace vaddex::test {
namespace {

using mount::MountOptions;

TEST(MountOptions, WordsAreReadAndUnknownOnesRefused) {
    MountOptions options = MountOptions::Parse({"ro,uid=1000", "gid=50,allow_other", "nonempty"});
    EXPECT_TRUE(options.readOnly);
    EXPECT_TRUE(options.allowOther);
    EXPECT_TRUE(options.nonEmpty);
    EXPECT_EQ(options.uid, 1000U);
    EXPECT_EQ(options.gid, 50U);
    EXPECT_EQ(options.FuseArguments(),
              (std::vector<std::string>{
                  "-o", "fsname=vaddex,subtype=vaddex,ro,allow_other,uid=1000,gid=50"}))
        << "nonempty is the mount's own check, which libfuse3 would not take";
    for (const char* bad : {"uid=", "uid=-1", "gid=x", "uid=99999999999", "noatime", "uid"}) {
        EXPECT_THROW(MountOptions::Parse({bad}), std::invalid_argument) << bad;
    }
}

TEST(MountOptions, FoldersThatWouldHideFilesAreRefused) {
    TempDir folder;
    std::filesystem::create_directories(folder.File("empty"));
    std::filesystem::create_directories(folder.File("full"));
    ASSERT_TRUE(WriteWholeFile(folder.File("full/mine.txt"), "the user's own"));
    MountOptions plain;
    MountOptions over = MountOptions::Parse({"nonempty"});
    MountOptions others = MountOptions::Parse({"allow_other"});
    struct Row {
        const MountOptions& options;
        std::string folder;
        std::string fuseConf;
        bool root;
        std::string said;  // empty: taken
    };
    const Row rows[] = {
        {plain, folder.File("empty"), "", false, ""},
        {plain, folder.File("full"), "", false, "is not empty"},
        {over, folder.File("full"), "", false, ""},
        {plain, folder.File("none"), "", false, "no such folder"},
        {plain, folder.File("full/mine.txt"), "", false, "no such folder"},
        {others, folder.File("empty"), "# user_allow_other\n", false, "user_allow_other"},
        {others, folder.File("empty"), "mount_max = 9\n user_allow_other \n", false, ""},
        {others, folder.File("empty"), "", true, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder + " " + row.fuseConf);
        std::string why = row.options.Refusal(row.folder, row.fuseConf, row.root);
        if (row.said.empty()) {
            EXPECT_EQ(why, "");
        } else {
            EXPECT_NE(why.find(row.said), std::string::npos) << why;
        }
    }
}

}  // namespace
}  // namespace vaddex::test
