// CalcFs over a session with the in-process simulated calculator: what the folder shows when
// the calculator changes by itself, without the kernel in between.

#include <fcntl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "mount/CalcFs.h"
#include "mount/OutcomeErrno.h"
#include "session/SessionCommands.h"
#include "support/PatternText.h"
#include "support/SimFixture.h"
#include "util/FileIo.h"

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

    // Writes data through create, write and close; the result of close.
    static int WriteWhole(mount::CalcFs& fs, const std::string& path, const std::string& data) {
        std::uint64_t handle = 0;
        EXPECT_EQ(fs.Create(path, handle), 0);
        EXPECT_EQ(fs.Write(handle, data.data(), data.size(), 0), static_cast<int>(data.size()));
        return fs.Release(handle);
    }

    // The data of the files in the unsent folder.
    std::vector<std::string> Unsent() {
        std::vector<std::string> kept;
        std::error_code error;
        for (const auto& entry :
             std::filesystem::directory_iterator(sim.Files().File("unsent/"), error)) {
            std::string data;
            ReadWholeFile(entry.path().string(), data);
            kept.push_back(data);
        }
        return kept;
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

// A read the line's checksum may have let damage through is served but not kept: the next
// read fetches again, even when the listing shows the same version.
TEST_F(CalcFsTest, OnlyReadsThatCanBeTrustedAreKept) {
    for (bool trust : {true, false}) {
        SCOPED_TRACE(trust);
        ASSERT_TRUE(sim.StoreAt("HOME G", PackedString("first")));
        mount::CalcFs::Settings settings;
        settings.refreshSeconds = 0;
        settings.trustReads = trust;
        mount::CalcFs fs(commands, settings);
        std::string first = ReadWhole(fs, "/G.zq");
        ASSERT_TRUE(sim.StoreAt("HOME G", PackedString("again")));  // same size and type
        EXPECT_EQ(ReadWhole(fs, "/G.zq") == first, trust);
    }
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

// Text mode: each variable is its text file; what is written goes as text, and only a text
// that is one object, so that nothing written into the folder runs on the calculator.
TEST_F(CalcFsTest, TextModeServesAndTakesTextFiles) {
    sim.State().textMode = true;
    mount::CalcFs fs = Fs(1000);
    struct stat st {};
    ASSERT_EQ(fs.GetAttr("/GREETING.txt", st), 0);
    auto firstSize = static_cast<std::size_t>(st.st_size);
    std::string text = ReadWhole(fs, "/GREETING.txt");
    EXPECT_EQ(text.rfind("%%ZQ: T(", 0), 0U) << text;
    EXPECT_EQ(firstSize, text.size()) << "the true size before any read, as tar trusts it";
    ASSERT_EQ(fs.GetAttr("/GREETING.txt", st), 0);
    EXPECT_EQ(static_cast<std::size_t>(st.st_size), text.size());

    struct Row {
        const char* path;
        std::string text;
        int closed;
    };
    const Row rows[] = {
        {"/NOTE.txt", "\"Hello from a text file\"", 0},
        {"/LIST.txt", "%%ZQ: T(1)A(D)F(.);\n{ 1 2 3 }", 0},
        {"/RUNS.txt", "'GREETING' PURGE 7", -EIO},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(WriteWhole(fs, row.path, row.text), row.closed);
        EXPECT_EQ(fs.GetAttr(row.path, st), row.closed == 0 ? 0 : -ENOENT);
    }
    EXPECT_NE(ReadWhole(fs, "/NOTE.txt").find("Hello from a text file"), std::string::npos);
    EXPECT_TRUE(sim.FindObject("HOME GREETING")) << "the refused text ran nothing";
    std::vector<std::string> kept = Unsent();
    EXPECT_NE(std::find(kept.begin(), kept.end(), rows[2].text), kept.end());
}

// rsync and editors write a hidden file and rename it: it is sent once, under the new name.
TEST_F(CalcFsTest, AHiddenFileIsSentWhenRenamed) {
    mount::CalcFs fs = Fs(1000);
    std::string greeting = ReadWhole(fs, "/GREETING.zq");
    ASSERT_EQ(WriteWhole(fs, "/.COPY.zq.x1Y2z3", greeting), 0);
    EXPECT_FALSE(sim.FindObject("HOME .COPY.zq.x1Y2z3")) << "held, not sent";
    std::vector<std::pair<std::string, struct stat>> entries;
    ASSERT_EQ(fs.ReadDir("/", entries), 0);
    auto listed = std::find_if(entries.begin(), entries.end(),
                               [](const auto& entry) { return entry.first == ".COPY.zq.x1Y2z3"; });
    ASSERT_NE(listed, entries.end());
    EXPECT_EQ(static_cast<std::size_t>(listed->second.st_size), greeting.size());

    ASSERT_EQ(fs.Rename("/.COPY.zq.x1Y2z3", "/COPY.zq"), 0);
    EXPECT_EQ(sim.FindObject("HOME COPY"), sim.FindObject("HOME GREETING"));
    struct stat st {};
    EXPECT_EQ(fs.GetAttr("/.COPY.zq.x1Y2z3", st), -ENOENT);

    ASSERT_EQ(WriteWhole(fs, "/.never-renamed", "left behind"), 0);
    fs.KeepHeldFiles();
    EXPECT_EQ(Unsent(), std::vector<std::string>{"left behind"}) << "nothing written is lost";
}

// One outcome kind reaches every program as one errno, whichever operation met it.
TEST(OutcomeErrno, EachKindHasItsErrno) {
    using Kind = Outcome::Kind;
    const std::pair<Kind, int> rows[] = {
        {Kind::Done, 0},           {Kind::Declined, EINVAL},     {Kind::BadName, EINVAL},
        {Kind::Exists, EEXIST},    {Kind::NoRoom, ENOSPC},       {Kind::Cancelled, EINTR},
        {Kind::PortInUse, EBUSY},  {Kind::NotConnected, EIO},    {Kind::PortGone, EIO},
        {Kind::LinkFailed, EIO},   {Kind::Refused, EIO},         {Kind::FileError, EIO},
        {Kind::NoCalculator, EIO}, {Kind::PortUnavailable, EIO},
    };
    for (const auto& [kind, error] : rows) {
        EXPECT_EQ(mount::ErrnoOf(kind), error) << KindName(kind);
    }
}

// A new file shows until it is written; one never written is dropped at the end, said, and
// nothing is kept of it. A variable's own file cannot be cut or padded.
TEST_F(CalcFsTest, ACreatedFileShowsUntilWrittenAndSizesStayPossible) {
    std::vector<std::string> said;
    mount::CalcFs::Settings settings;
    settings.refreshSeconds = 1000;
    settings.unsentFolder = sim.Files().File("unsent/");
    settings.report = [&](const std::string& text) { said.push_back(text); };
    mount::CalcFs fs(commands, settings);
    std::uint64_t handle = 0;
    ASSERT_EQ(fs.Create("/EMPTY.zq", handle), 0);
    ASSERT_EQ(fs.Release(handle), 0);
    struct stat st {};
    EXPECT_EQ(fs.GetAttr("/EMPTY.zq", st), 0) << "touch made it";
    EXPECT_EQ(st.st_size, 0);
    EXPECT_FALSE(sim.FindObject("HOME EMPTY"));

    std::string greeting = ReadWhole(fs, "/GREETING.zq");
    auto size = static_cast<std::int64_t>(greeting.size());
    for (std::int64_t wanted : {std::int64_t{0}, size - 1, size + 100}) {
        EXPECT_EQ(fs.Truncate("/GREETING.zq", nullptr, wanted), -EINVAL) << wanted;
    }
    EXPECT_EQ(fs.Truncate("/GREETING.zq", nullptr, size), 0) << "its own size changes nothing";
    ASSERT_EQ(fs.Open("/GREETING.zq", O_WRONLY | O_APPEND, handle), 0);
    EXPECT_EQ(fs.Write(handle, "x\n", 2, size), -EINVAL) << "an object file cannot grow";
    EXPECT_EQ(fs.Release(handle), 0);
    EXPECT_EQ(ReadWhole(fs, "/GREETING.zq"), greeting);

    fs.KeepHeldFiles();
    EXPECT_EQ(fs.GetAttr("/EMPTY.zq", st), -ENOENT);
    EXPECT_TRUE(Unsent().empty());
    EXPECT_NE(std::find_if(said.begin(), said.end(),
                           [](const std::string& text) {
                               return text.find("/EMPTY.zq") != std::string::npos &&
                                      text.find("dropped") != std::string::npos;
                           }),
              said.end());
}

// A line that failed is connected again at the next access, on the same port.
TEST_F(CalcFsTest, ConnectsAgainAfterTheLineFailed) {
    mount::CalcFs fs = Fs(1000);
    sim.Ui().SetConnected(false);
    ASSERT_FALSE(fs.PortHasGone()) << "the port is still there";
    struct stat st {};
    EXPECT_EQ(fs.GetAttr("/GREETING.zq", st), 0);
    EXPECT_TRUE(sim.Ui().Connected());
}

}  // namespace
}  // namespace vaddex::test
