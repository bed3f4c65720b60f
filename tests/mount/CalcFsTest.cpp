// CalcFs over a session with the in-process simulated calculator: what the folder shows when
// the calculator changes by itself, without the kernel in between.

#include <fcntl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "mount/CalcFs.h"
#include "session/SessionCommands.h"
#include "support/SimFixture.h"

namespace vaddex::test {
namespace {

class CalcFsTest : public ::testing::Test {
protected:
    CalcFsTest() : commands(sim.Session(), sim.Root()) {
        commands.SelectedPort = sim.PortName();
        commands.Reread();
    }

    mount::CalcFs Fs(int refreshSeconds) {
        mount::CalcFs::Settings settings;
        settings.refreshSeconds = refreshSeconds;
        settings.unsentFolder = sim.Files().File("unsent/");
        return mount::CalcFs(commands, settings);
    }

    std::string ReadWhole(mount::CalcFs& fs, const std::string& path) {
        std::uint64_t handle = 0;
        EXPECT_EQ(fs.Open(path, O_RDONLY, handle), 0);
        std::string data(4096, '\0');
        int count = fs.Read(handle, data.data(), data.size(), 0);
        EXPECT_EQ(fs.Release(handle), 0);
        data.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
        return data;
    }

    SimFixture sim;
    SessionCommands commands;
};

TEST_F(CalcFsTest, ChangesOnTheCalculatorShowAfterTheRefreshTime) {
    std::string greeting = *sim.FindObject("HOME GREETING");
    struct Row {
        int refreshSeconds;
        bool seen;
    };
    const Row rows[] = {{0, true}, {1000, false}};
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.refreshSeconds);
        mount::CalcFs fs = Fs(row.refreshSeconds);
        std::string name = "NEW" + std::to_string(n++);
        ASSERT_TRUE(sim.StoreAt("HOME " + name, greeting));
        struct stat st {};
        EXPECT_EQ(fs.GetAttr("/" + name + ".zq", st), row.seen ? 0 : -ENOENT);
    }
}

TEST_F(CalcFsTest, ACachedObjectIsFetchedAgainWhenTheListingShowsAnotherVersion) {
    mount::CalcFs fs = Fs(0);
    std::string before = ReadWhole(fs, "/GREETING.zq");
    ASSERT_EQ(before.size(), sim.FindObject("HOME GREETING")->size() + 8);
    std::string longer = *sim.FindObject("HOME LIST1");
    ASSERT_TRUE(sim.StoreAt("HOME GREETING", longer));
    std::string after = ReadWhole(fs, "/GREETING.zq");
    EXPECT_EQ(after.substr(8), longer);
    struct stat st {};
    ASSERT_EQ(fs.GetAttr("/GREETING.zq", st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), after.size());
}

TEST_F(CalcFsTest, WritesBeyondTheFreeMemoryAreRefused) {
    mount::CalcFs fs = Fs(1000);
    struct statvfs st {};
    ASSERT_EQ(fs.StatFs(st), 0);
    std::uint64_t handle = 0;
    ASSERT_EQ(fs.Create("/BIG.zq", handle), 0);
    std::string byte = "x";
    EXPECT_EQ(fs.Write(handle, byte.data(), 1, static_cast<std::int64_t>(st.f_bavail)), -ENOSPC);
    EXPECT_EQ(fs.Release(handle), 0) << "nothing was written, nothing is sent";
}

}  // namespace
}  // namespace vaddex::test
