#include <gtest/gtest.h>

#include "app/shell/directory_report.h"
#include "tifs/catalog.h"

namespace kestrel
{
namespace
{

const std::string kTitles = "Name             Size   Type            Attr       Description\r\n" +
                            std::string(87, '-') + "\r\n";

CatalogEntry &Add(Location &location, uint16_t kind, const std::string &tiName)
{
    CatalogEntry *e = AddEntry(location.entries);
    e->ti.kind = kind;
    e->ti.tiName = tiName;
    return *e;
}

TEST(DirectoryReport, EmptyDiskImageHoldsTitlesAndDashesOnly)
{
    Location location;
    location.kind = kLocDskImage;
    location.path = "/disks/empty.dsk";
    location.insideContainer = true;
    location.containerDepth = 1;
    Add(location, kKindUpDir, "..");
    const DirectoryReport report = BuildDirectoryReport(location);
    const std::string pathLine = PathLineText(location);
    EXPECT_EQ(report.text, "Directory of " + pathLine + "\r\n\r\n" + kTitles);
    EXPECT_EQ(report.caption, "Kestrel - " + pathLine);
}

TEST(DirectoryReport, EntryLinesByKind)
{
    Location location;
    location.kind = kLocPcDirectory;
    location.path = "/ti";
    CatalogEntry &file = Add(location, kKindDisVar, "HELLO     ");
    file.ti.sectors = 3;
    file.ti.recordLength = 80;
    file.ti.flags = 0x08;
    file.ti.headerKind = kHeaderTifiles;
    file.ti.description = "greeting";
    CatalogEntry &v9 = Add(location, kKindProgram, "GAME      ");
    v9.ti.sectors = 12;
    v9.ti.recordLength = 2790;
    v9.ti.headerKind = kHeaderV9t9;
    Add(location, kKindSubdir, "SUB");
    CatalogEntry &dsk = Add(location, kKindDsk, "MYDISK    ");
    dsk.disk.Edit().totalSectors = 720;
    CatalogEntry &img = Add(location, kKindHdImage, "HARD");
    img.imageSize = 123456;
    CatalogEntry &pc = Add(location, kKindDos, "");
    pc.pcName = "readme.txt";

    const DirectoryReport report = BuildDirectoryReport(location);
    const std::string body = report.text.substr(report.text.find(kTitles) + kTitles.size());
    const std::string blank7(7, ' ');
    EXPECT_EQ(body, std::string("HELLO") + std::string(10, ' ') + "     3" + "   DIS/VAR     80" +
                        "  P " + "tifiles" + "  greeting\r\n" + "GAME" + std::string(11, ' ') +
                        "    12" + "   PROGRAM   2790" + "  U " + "v9t9   " + "  \r\n" + "SUB" +
                        std::string(12, ' ') + "      " + "   SUBDIR        " + "    " + blank7 +
                        "  \r\n" + "MYDISK" + std::string(9, ' ') + "   720" + "   DSK           " +
                        "  U " + blank7 + "  \r\n" + "HARD" + std::string(11, ' ') + "123456" +
                        "   HDIMG         " + "    " + blank7 + "  \r\n" + "readme.txt" +
                        std::string(5, ' ') + std::string(9, ' ') + "DOS     \r\n");
}

TEST(DirectoryReport, ALineThatWouldNotFitEndsTheReport)
{
    Location location;
    location.path = "/ti";
    // Long descriptions: each line is far over the 60 bytes an entry may take.
    for (int i = 0; i < 10; ++i) {
        CatalogEntry &e = Add(location, kKindDisFix, "F" + std::to_string(i));
        e.ti.description = std::string(100, 'd');
    }
    const DirectoryReport report = BuildDirectoryReport(location);
    EXPECT_LT(report.text.size(), 10u * 60 + 500);
    EXPECT_NE(report.text.find("F0 "), std::string::npos);
    EXPECT_EQ(report.text.find("F9 "), std::string::npos);
    EXPECT_EQ(report.text.substr(report.text.size() - 2), "\r\n");
}

} // namespace
} // namespace kestrel
