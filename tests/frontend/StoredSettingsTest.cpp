#include "frontend/StoredSettings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace vaddex::frontend {
namespace {

SettingLookup From(const std::map<std::string, std::string>& values) {
    return [values](const std::string& key) -> std::optional<std::string> {
        auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

TEST(StoredSettings, FirstRunGivesTheDefaults) {
    StoredSettings settings = InterpretSettings(From({}));
    EXPECT_EQ(settings.port, "Auto");
    EXPECT_EQ(settings.speed, 115200);
    EXPECT_FALSE(settings.speedStored);
    EXPECT_TRUE(settings.toolBarVisible && settings.statusBarVisible);
    EXPECT_EQ(settings.dirWidthSplit, 150);
    EXPECT_EQ(settings.dirColSize, kColumnsTypeFirst);
    EXPECT_EQ(settings.dirWidthFiles, 160);
    EXPECT_EQ(settings.dirWidthSize, 60);
    EXPECT_EQ(settings.dirWidthType, 80);
    EXPECT_EQ(settings.dirViewStyle, 3);
    EXPECT_EQ(settings.dirSortCol, 0);
    EXPECT_FALSE(settings.dirSortReverse);
    EXPECT_TRUE(settings.addExtension && settings.transfer.addCR && settings.transfer.trans031);
    EXPECT_EQ(settings.editor, "");
    EXPECT_EQ(settings.transfer.transIO, 3);
    EXPECT_TRUE(settings.rpnPrompts);
    EXPECT_TRUE(settings.transfer.receiveCRC) << "the CRC is the default";
    EXPECT_TRUE(settings.checksumPorts.empty());
    EXPECT_FALSE(settings.confirmDelete);
    EXPECT_TRUE(settings.border.show);
    EXPECT_EQ(settings.border.space, 1);
    EXPECT_EQ(settings.border.frame, 2);
    EXPECT_TRUE(settings.problems.empty());
}

TEST(StoredSettings, ReadRulesOfTheWindow) {
    // The USB device leaves "130000" behind; it reads back as 9600, as does an unlisted text.
    EXPECT_EQ(InterpretSettings(From({{"Speed", "130000"}})).speed, 9600);
    EXPECT_EQ(InterpretSettings(From({{"Speed", "fast"}})).speed, 9600);
    EXPECT_EQ(InterpretSettings(From({{"Speed", "38400"}})).speed, 38400);
    // Any integer but 0 is true; a text that is no integer gives the default.
    EXPECT_TRUE(InterpretSettings(From({{"AddExtension", "5"}})).addExtension);
    EXPECT_FALSE(InterpretSettings(From({{"AddExtension", "0"}})).addExtension);
    EXPECT_TRUE(InterpretSettings(From({{"AddExtension", "no"}})).addExtension);
    EXPECT_TRUE(InterpretSettings(From({{"ReceiveCRC", "1"}})).transfer.receiveCRC);
    // The old default "ReceiveCRC=0" of earlier files no longer forces the checksum; only
    // the checksum's own key does. The checksum ports are one a line.
    EXPECT_TRUE(InterpretSettings(From({{"ReceiveCRC", "0"}})).transfer.receiveCRC);
    EXPECT_FALSE(InterpretSettings(From({{"ReceiveChecksum", "1"}})).transfer.receiveCRC);
    EXPECT_EQ(
        InterpretSettings(From({{"ChecksumPorts", "/dev/ttyS0\n\n/dev/pts/4"}})).checksumPorts,
        (std::vector<std::string>{"/dev/ttyS0", "/dev/pts/4"}));
    // Any column order but 2 counts as 3.
    EXPECT_EQ(InterpretSettings(From({{"DirColSize", "7"}})).dirColSize, kColumnsTypeFirst);
    EXPECT_EQ(InterpretSettings(From({{"DirColSize", "2"}})).dirColSize, kColumnsSizeFirst);
    // A sort column or style the window does not have would index past its columns.
    EXPECT_EQ(InterpretSettings(From({{"DirSortCol", "5"}})).dirSortCol, 0);
    EXPECT_EQ(InterpretSettings(From({{"DirViewStyle", "-1"}})).dirViewStyle, 3);
}

TEST(StoredSettings, NonIntegerNumbersFallBackAndAreReported) {
    StoredSettings settings = InterpretSettings(
        From({{"DirWidthSplit", "wide"}, {"DirWidthFiles", "12.5"}, {"DirWidthType", "99"}}));
    EXPECT_EQ(settings.dirWidthSplit, 150);
    EXPECT_EQ(settings.dirWidthFiles, 160);
    // The values after a bad one are still read.
    EXPECT_EQ(settings.dirWidthType, 99);
    ASSERT_EQ(settings.problems.size(), 2u);
    EXPECT_NE(settings.problems[0].find("DirWidthSplit"), std::string::npos);
}

TEST(StoredSettings, TransIOFollowsTheLineEnds) {
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "0"}, {"AddCR", "1"}})).transfer.transIO, 1);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "1"}, {"AddCR", "0"}})).transfer.transIO, 0);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "2"}, {"AddCR", "0"}})).transfer.transIO, 2);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "3"}, {"AddCR", "0"}})).transfer.transIO, 3);
    EXPECT_EQ(InterpretSettings(From({{"TRANSIO", "9"}})).transfer.transIO, 3);
}

TEST(StoredSettings, CaptureBorderOutsideItsRangeIsIgnored) {
    StoredSettings settings = InterpretSettings(From({{"ScreenCapture/BorderShow", "0"},
                                                      {"ScreenCapture/BorderSpace", "12"},
                                                      {"ScreenCapture/BorderFrame", "-1"}}));
    EXPECT_FALSE(settings.border.show);
    EXPECT_EQ(settings.border.space, 4);
    EXPECT_EQ(settings.border.frame, 2);
}

TEST(StoredSettings, WrittenValuesReadBackUnchanged) {
    StoredSettings written;
    written.port = "/dev/pts/7";
    written.speed = 38400;
    written.dirColSize = kColumnsSizeFirst;
    written.dirSortCol = 2;
    written.dirSortReverse = true;
    written.transfer.addCR = false;
    written.transfer.transIO = 2;
    written.editor = "gedit --wait";
    written.transfer.receiveCRC = true;
    written.confirmDelete = true;
    std::map<std::string, std::string> store;
    WriteSettings(written,
                  [&](const std::string& key, const std::string& value) { store[key] = value; });
    EXPECT_EQ(store.size(), 20u);
    EXPECT_EQ(store["ConfirmDelete"], "1");
    EXPECT_EQ(store["DirSortReverse"], "1");
    StoredSettings read = InterpretSettings(From(store));
    EXPECT_EQ(read.port, written.port);
    EXPECT_EQ(read.speed, 38400);
    EXPECT_EQ(read.dirColSize, kColumnsSizeFirst);
    EXPECT_EQ(read.dirSortCol, 2);
    EXPECT_TRUE(read.dirSortReverse);
    EXPECT_FALSE(read.transfer.addCR);
    EXPECT_EQ(read.transfer.transIO, 2);
    EXPECT_EQ(read.editor, written.editor);
    EXPECT_TRUE(read.transfer.receiveCRC);
    EXPECT_TRUE(read.confirmDelete);
}

// The real file under a private XDG_CONFIG_HOME.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", home_.Path().c_str(), 1);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(home_.Path()));
    }
    QString FilePath() const { return QSettings("Zenquist", "Vaddex").fileName(); }
    void WriteFile(const QByteArray& bytes) {
        std::string folder = home_.Path() + "Zenquist";
        std::filesystem::create_directories(folder);
        QFile file(FilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    test::TempDir home_;
};

TEST_F(SettingsFileTest, GarbageFileOpensWithDefaultsAndIsWrittenSound) {
    WriteFile(QByteArray("[General\n\x01\xff=\"unterminated\nSpeed=\nDirWidthSplit=1,2,3\nPort"));
    StoredSettings settings = ReadStoredSettings();
    EXPECT_EQ(settings.dirWidthSplit, 150);
    EXPECT_EQ(settings.port, "Auto");
    settings.dirWidthSplit = 210;
    ASSERT_TRUE(SaveStoredSettings(settings));
    StoredSettings again = ReadStoredSettings();
    EXPECT_EQ(again.dirWidthSplit, 210);
    EXPECT_TRUE(again.problems.empty());
    EXPECT_EQ(QSettings("Zenquist", "Vaddex").value("DirWidthSplit").toString(), "210");
}

TEST_F(SettingsFileTest, TruncatedFileKeepsWhatItHolds) {
    WriteFile("[General]\nSpeed=130000\nDirSortCol=2\nDirWidthFi");
    StoredSettings settings = ReadStoredSettings();
    EXPECT_EQ(settings.speed, 9600);
    EXPECT_EQ(settings.dirSortCol, 2);
    EXPECT_EQ(settings.dirWidthFiles, 160);
}

}  // namespace
}  // namespace vaddex::frontend
