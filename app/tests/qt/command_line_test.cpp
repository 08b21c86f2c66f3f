#include <gtest/gtest.h>

#include <filesystem>

#include "app/tests/qt/program_fixture.h"

namespace kestrel::testing
{
namespace
{

TEST_F(ProgramTest, LeftAndRightLocationsOpenInTheirPanesAndBecomeTheStartLocations)
{
    std::filesystem::create_directory(root / "files" / "left");
    std::filesystem::create_directory(root / "files" / "right");
    WriteTiFile(root / "files" / "left" / "ALPHA");
    WriteTiFile(root / "files" / "right" / "BRAVO");
    std::ofstream(IniPath()) << "[Kestrel]\ndefault_path_left=/saved/l\n"
                                "default_path_right=/saved/r\n";
    // The right one relative to the working directory, as a shell gives it.
    ASSERT_EQ(Start({Folder() + "/left/", "../files/right"}), -1);
    const std::string left = Folder() + "/left";
    const std::string right = Folder() + "/right";
    EXPECT_EQ(Window().Widgets(0).pathLine->text().toStdString(), " " + left);
    EXPECT_EQ(Window().Widgets(1).pathLine->text().toStdString(), " " + right);
    EXPECT_EQ(Cell(0, 0, 0), "ALPHA");
    EXPECT_EQ(Cell(1, 0, 0), "BRAVO");
    program->Finish();
    const std::string ini = ReadIni();
    EXPECT_NE(ini.find("default_path_left=" + left + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("default_path_right=" + right + "\n"), std::string::npos) << ini;
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ProgramTest, OneLocationOpensInBothPanes)
{
    WriteTiFile(root / "files" / "ALPHA");
    ASSERT_EQ(Start({"../files"}), -1);
    for (int side = 0; side < 2; ++side) {
        EXPECT_EQ(Window().Widgets(side).pathLine->text().toStdString(), " " + Folder());
        EXPECT_EQ(Cell(side, 0, 0), "ALPHA");
    }
}

} // namespace
} // namespace kestrel::testing
