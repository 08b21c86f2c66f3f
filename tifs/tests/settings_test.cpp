#include "tifs/settings.h"

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel {
namespace {

using platform::testing::ReadFile;
using platform::testing::ScratchDir;
using platform::testing::WriteFile;

// Points the program's settings at a file of the test's own.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = ProgramSettings().path;
        path = SettingsFilePath(dir.Path());
        ProgramSettings().path = path;
    }
    void TearDown() override { ProgramSettings().path = m_saved; }

    Settings Load(const std::string& text, bool metric = false)
    {
        WriteFile(path, text);
        Settings s;
        LoadSettings(s, path, metric);
        return s;
    }

    ScratchDir dir;
    std::string path;

private:
    std::string m_saved;
};

TEST_F(SettingsFile, FirstStartWritesEveryKeyInOrderWithDefaults)
{
    Settings s;
    LoadSettings(s, path);
    EXPECT_EQ(s.path, path);
    EXPECT_EQ(s.main.left, kUseDefault);
    EXPECT_EQ(s.main.width, 600);
    EXPECT_EQ(s.main.height, 232);
    EXPECT_EQ(s.fontName, "Courier New");
    EXPECT_EQ(s.dllDirectory, "");         // none configured: the usual places are searched
    EXPECT_EQ(s.driveLetters, 0x3FFFFFBu); // the default loses drive C as well
    EXPECT_EQ(s.marginLeft, 780);
    EXPECT_FALSE(s.marginsMetric);

    s.main.left = 212;
    s.main.top = 300;
    ASSERT_TRUE(SaveSettings(s));
    EXPECT_EQ(ReadFile(path), "[Kestrel]\n"
                              "left=212\n"
                              "top=300\n"
                              "width=600\n"
                              "height=232\n"
                              "fitalic=0\n"
                              "fheight=-12\n"
                              "fweight=400\n"
                              "sortby=1\n"
                              "fname=Courier New\n"
                              "default_path_left=\n"
                              "default_path_right=\n"
                              "hdrsize=100 100 100 100 100 100\n"
                              "textcolor=0\n"
                              "backcolor=12763842\n"
                              "markcolor=65535\n"
                              "mousewheel=0\n"
                              "zubcompatible=0\n"
                              "extracttifiles=0\n"
                              "driveletters=67108859\n"
                              "[PageSetup]\n"
                              "MarginLeft=780\n"
                              "MarginTop=590\n"
                              "MarginRight=780\n"
                              "MarginBottom=590\n");
}

TEST_F(SettingsFile, ForeignSectionsKeysCrLfAndQuotesSurviveARoundTrip)
{
    const std::string original = "; my settings\r\n"
                                 "[kestrel]\r\n"
                                 "FName = \"Lucida Console\"\r\n"
                                 "default_path_left='/home/ti/disks'\r\n"
                                 "myown=keep me\r\n"
                                 "DllDirectory=/opt/libs/\r\n"
                                 "\r\n"
                                 "[Pc_Ti_File_Conversion]\r\n"
                                 "TXT = \"DIS/VAR 80\"\r\n"
                                 "[Unknown]\r\n"
                                 "x=1\r\n";
    Settings s = Load(original);
    EXPECT_EQ(s.fontName, "Lucida Console");
    EXPECT_EQ(s.defaultPathLeft, "/home/ti/disks");
    EXPECT_EQ(s.dllDirectory, "/opt/libs/");
    ASSERT_TRUE(SaveSettings(s));
    EXPECT_EQ(ReadFile(path), "; my settings\r\n"
                              "[kestrel]\r\n"
                              "FName=Lucida Console\r\n"
                              "default_path_left=/home/ti/disks\r\n"
                              "myown=keep me\r\n"
                              "DllDirectory=/opt/libs/\r\n"
                              "left=-2147483648\r\n"
                              "top=-2147483648\r\n"
                              "width=600\r\n"
                              "height=232\r\n"
                              "fitalic=0\r\n"
                              "fheight=-12\r\n"
                              "fweight=400\r\n"
                              "sortby=1\r\n"
                              "default_path_right=\r\n"
                              "hdrsize=100 100 100 100 100 100\r\n"
                              "textcolor=0\r\n"
                              "backcolor=12763842\r\n"
                              "markcolor=65535\r\n"
                              "mousewheel=0\r\n"
                              "zubcompatible=0\r\n"
                              "extracttifiles=0\r\n"
                              "driveletters=67108859\r\n"
                              "\r\n"
                              "[Pc_Ti_File_Conversion]\r\n"
                              "TXT = \"DIS/VAR 80\"\r\n"
                              "[Unknown]\r\n"
                              "x=1\r\n"
                              "[PageSetup]\r\n"
                              "MarginLeft=780\r\n"
                              "MarginTop=590\r\n"
                              "MarginRight=780\r\n"
                              "MarginBottom=590\r\n");
    EXPECT_EQ(ReadSettingSection("Pc_Ti_File_Conversion"),
              (std::vector<std::string>{"TXT=\"DIS/VAR 80\""}));
}

TEST_F(SettingsFile, PlacementKeysOf9999AreMissing)
{
    Settings s = Load("[Kestrel]\nleft=9999\ntop=-5000\nwidth=9999\nheight=400\n");
    EXPECT_EQ(s.main.left, kUseDefault);
    EXPECT_EQ(s.main.top, -5000); // kept as read: placement decides later
    EXPECT_EQ(s.main.width, 600);
    EXPECT_EQ(s.main.height, 400);
}

TEST_F(SettingsFile, FlagsColoursAndDriveLetters)
{
    Settings s = Load("[Kestrel]\nfitalic=7\nmousewheel=1\nzubcompatible=1\nextracttifiles=1\n"
                      "textcolor=255\nbackcolor=0\nmarkcolor=16777215\ndriveletters=4\n"
                      "sortby=3\nfheight=-20\nfweight=700\npicviewer=viewer --gif %s\n");
    EXPECT_TRUE(s.fontItalic);
    EXPECT_TRUE(s.mouseWheel);
    EXPECT_TRUE(s.zubCompatible);
    EXPECT_TRUE(s.extractTiFiles);
    EXPECT_EQ(s.textColor, 255u);
    EXPECT_EQ(s.backColor, 0u);
    EXPECT_EQ(s.markColor, 16777215u);
    EXPECT_EQ(s.driveLetters, 0u); // drive C alone is never offered
    EXPECT_EQ(s.sortBy, 3);
    EXPECT_EQ(s.fontHeight, -20);
    EXPECT_EQ(s.fontWeight, 700);
    EXPECT_EQ(s.picViewer, "viewer --gif %s");
    ASSERT_TRUE(SaveSettings(s));
    const std::string text = ReadFile(path);
    EXPECT_NE(text.find("fitalic=1\n"), std::string::npos);
    EXPECT_NE(text.find("driveletters=0\n"), std::string::npos);

    s = Load("[Kestrel]\ndriveletters=-1\n");
    EXPECT_EQ(s.driveLetters, 0x3FFFFFBu);
}

TEST_F(SettingsFile, HeaderSizesSplitIntoWidthsAndLefts)
{
    Settings s = Load("[Kestrel]\nhdrsize=  50 60  70\n");
    const int widths[] = {50, 60, 70, 100, 100, 100};
    const int lefts[] = {0, 50, 110, 180, 280, 380};
    for (int i = 0; i < kColumnCount; ++i) {
        EXPECT_EQ(s.columnWidths[i], widths[i]) << i;
        EXPECT_EQ(s.columnLefts[i], lefts[i]) << i;
    }
    ASSERT_TRUE(SaveSettings(s));
    EXPECT_NE(ReadFile(path).find("hdrsize=50 60 70 100 100 100\n"), std::string::npos);

    // Text where a number belongs counts as missing; absurd widths are capped.
    s = Load("[Kestrel]\nhdrsize=x 20y -5 99999999999 1 2 3\n");
    EXPECT_EQ(s.columnWidths[0], 100);
    EXPECT_EQ(s.columnWidths[1], 20);
    EXPECT_EQ(s.columnWidths[2], 100);
    EXPECT_EQ(s.columnWidths[3], 65535);
    EXPECT_EQ(s.columnWidths[5], 2);
    EXPECT_EQ(s.columnLefts[5], 100 + 20 + 100 + 65535 + 1);
}

TEST_F(SettingsFile, LongTextsAreCutToTheirLimits)
{
    const std::string longPath(400, 'p');
    Settings s = Load("[Kestrel]\nfname=" + std::string(40, 'f') + "\ndefault_path_right=" +
                      longPath + "\nhdrsize=" + std::string(85, '1') + " 7\n");
    EXPECT_EQ(s.fontName, std::string(30, 'f'));
    EXPECT_EQ(s.defaultPathRight, std::string(300, 'p'));
    // The cut leaves 80 digits and drops the " 7" behind them.
    EXPECT_EQ(s.columnWidths[1], 100);
}

TEST_F(SettingsFile, MarginsFollowTheMeasurementSystem)
{
    Settings s = Load("", true);
    EXPECT_TRUE(s.marginsMetric);
    EXPECT_EQ(s.marginLeft, 2000);
    EXPECT_EQ(s.marginTop, 1500);
    EXPECT_EQ(s.marginRight, 2000);
    EXPECT_EQ(s.marginBottom, 1500);
    s = Load("[pagesetup]\nMarginLeft=1000\nmarginbottom=10\n");
    EXPECT_EQ(s.marginLeft, 1000);
    EXPECT_EQ(s.marginTop, 590);
    EXPECT_EQ(s.marginBottom, 10);
}

TEST_F(SettingsFile, EditSlotPlacementsUseNumberedSections)
{
    Settings s = Load("[EDIT02]\nleft=40\ntop=50\n[edit16]\nheight=300\n");
    ReadEditSlotPlacements(s);
    EXPECT_EQ(s.editSlots[0].left, 1);
    EXPECT_EQ(s.editSlots[0].height, 800);
    EXPECT_EQ(s.editSlots[1].left, 40);
    EXPECT_EQ(s.editSlots[1].top, 50);
    EXPECT_EQ(s.editSlots[1].width, 600);
    EXPECT_EQ(s.editSlots[15].height, 300);

    s.editSlots[9].left = -7;
    ASSERT_TRUE(WriteEditSlotPlacements(s));
    const std::string text = ReadFile(path);
    EXPECT_EQ(text.rfind("[EDIT02]\nleft=40\ntop=50\nwidth=600\nheight=800\n[edit16]\n", 0), 0u);
    EXPECT_NE(text.find("[EDIT10]\nleft=-7\ntop=1\nwidth=600\nheight=800\n"), std::string::npos);
    EXPECT_NE(text.find("[EDIT01]\nleft=1\n"), std::string::npos);
    Settings back;
    back.path = path;
    ReadEditSlotPlacements(back);
    EXPECT_EQ(back.editSlots[9].left, -7);
    EXPECT_EQ(back.editSlots[15].height, 300);
}

TEST_F(SettingsFile, SingleKeysForOtherParts)
{
    EXPECT_EQ(ReadSettingInt("Kestrel", "missing", 42), 42);
    ASSERT_TRUE(WriteSettingInt("Kestrel", "somekey", -3));
    ASSERT_TRUE(WriteSettingString("Kestrel", "save_as_ti_path", "/ti/out/"));
    EXPECT_EQ(ReadSettingInt("kestrel", "SOMEKEY", 0), -3);
    EXPECT_EQ(ReadSettingString("Kestrel", "save_as_ti_path"), "/ti/out/");
    EXPECT_EQ(ReadSettingString("Kestrel", "save_as_ti_path", "", 3), "/ti");
    EXPECT_EQ(ReadFile(path), "[Kestrel]\nsomekey=-3\nsave_as_ti_path=/ti/out/\n");
}

TEST_F(SettingsFile, RecentLocationsNewestFirstWithoutDuplicates)
{
    for (const char* p : {"/a", "/b", "/c", "/d", "/e"})
        ASSERT_TRUE(AddRecentLocation(p));
    EXPECT_EQ(ReadRecentLocation(1), "/e");
    EXPECT_EQ(ReadRecentLocation(3), "/c");
    EXPECT_EQ(ReadRecentLocation(5), "/a");
    const std::string before = ReadFile(path);

    ASSERT_TRUE(AddRecentLocation("/C")); // third already, compared without case
    EXPECT_EQ(ReadFile(path), before);

    ASSERT_TRUE(AddRecentLocation("/f"));
    EXPECT_EQ(ReadRecentLocation(1), "/f");
    EXPECT_EQ(ReadRecentLocation(2), "/e");
    EXPECT_EQ(ReadRecentLocation(5), "/b");
    EXPECT_EQ(ReadRecentLocation(0), "");
    EXPECT_EQ(ReadRecentLocation(6), "");
}

TEST_F(SettingsFile, RecentLocationsStartFromAnEmptyList)
{
    ASSERT_TRUE(AddRecentLocation("/only"));
    EXPECT_EQ(ReadFile(path), "[recentdirectories]\ndir01=/only\ndir02=\ndir03=\ndir04=\n"
                              "dir05=\n");
    EXPECT_EQ(ReadRecentLocation(2), "");
    // A location longer than a key holds is the same as its cut form.
    const std::string longPath = "/" + std::string(350, 'x');
    ASSERT_TRUE(AddRecentLocation(longPath));
    ASSERT_TRUE(AddRecentLocation(longPath));
    EXPECT_EQ(ReadRecentLocation(1), longPath.substr(0, 300));
    EXPECT_EQ(ReadRecentLocation(2), "/only");
}

TEST(SettingsPath, FileNameInTheWorkingDirectory)
{
    EXPECT_EQ(SettingsFilePath("/home/ti"), "/home/ti/Kestrel.ini");
    EXPECT_EQ(SettingsFilePath("/home/ti/"), "/home/ti/Kestrel.ini");
    EXPECT_EQ(SettingsFilePath("/"), "/Kestrel.ini");
}

TEST(Placement, StoredPositionStaysInsideTheDesktop)
{
    const DesktopRect screen{0, 0, 1920, 1080};
    EXPECT_EQ(PlaceWindow({200, 100}, 600, 232, screen, 1920, 1050).left, 200);
    WindowPosition edge = PlaceWindow({1890, 1050}, 600, 232, screen, 1920, 1050);
    EXPECT_EQ(edge.left, 1890);
    EXPECT_EQ(edge.top, 1050);
    WindowPosition past = PlaceWindow({1891, 100}, 600, 232, screen, 1920, 1050);
    EXPECT_EQ(past.left, 960 - 300);
    EXPECT_EQ(past.top, 525 - 116);
}

TEST(Placement, OffScreenOrDefaultPositionsAreCentred)
{
    const DesktopRect screen{0, 0, 1024, 768};
    WindowPosition p = PlaceWindow({-5000, 10}, 600, 232, screen, 1024, 740);
    EXPECT_EQ(p.left, 512 - 300);
    EXPECT_EQ(p.top, 370 - 116);
    p = PlaceWindow({kUseDefault, kUseDefault}, 601, 233, screen, 1024, 740);
    EXPECT_EQ(p.left, 512 - 300);
    EXPECT_EQ(p.top, 370 - 116);
    // A window larger than the screen goes to 100, 100.
    p = PlaceWindow({kUseDefault, 0}, 1200, 900, screen, 1024, 740);
    EXPECT_EQ(p.left, 100);
    EXPECT_EQ(p.top, 100);
}

TEST(Placement, VirtualDesktopAllowsNegativeOrigins)
{
    const DesktopRect both{-1280, 0, 3200, 1080};
    WindowPosition p = PlaceWindow({-1000, 20}, 600, 800, both, 1920, 1050);
    EXPECT_EQ(p.left, -1000);
    EXPECT_EQ(p.top, 20);
    // Centring always uses the primary full-screen area.
    p = PlaceWindow({-1281, 20}, 600, 800, both, 1920, 1050);
    EXPECT_EQ(p.left, 660);
    EXPECT_EQ(p.top, 125);
}

} // namespace
} // namespace kestrel
