#include "tifs/messages.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/recording_ui.h"

namespace kestrel {
namespace {

using testing::RecordingUi;

TEST(Messages, UnknownNumbersShowTheirNumberAndStayTheLastMessage)
{
    RecordingUi ui;
    ReportError(ui, 99, {"ignored"});
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Unknown error <99>");
    EXPECT_EQ(ui.LastMessage(), 99);
    EXPECT_EQ(FormatCatalogMessage(65), "Unknown error <65>");
    EXPECT_EQ(FormatCatalogMessage(-1), "Unknown error <-1>");
    EXPECT_STREQ(CatalogText(64), "Not a TI file <%s>\n(Something went wrong with conversion)");
    EXPECT_STREQ(CatalogText(0), "Can't read file or directory <%s>");
}

TEST(Messages, SystemPartOnlyForANonZeroCode)
{
    RecordingUi ui;
    ui.SetLastMessage(7);
    ReportSystemError(ui, 0, 0, {"/X"});
    EXPECT_EQ(ui.Errors().back(), "Can't read file or directory </X>");
    EXPECT_EQ(ui.LastMessage(), 0);

    ReportSystemError(ui, ENOENT, 1, {"/ti/GAME"});
    EXPECT_EQ(ui.Errors().back(), std::string("Can't open file for read </ti/GAME>\n\nERROR ") +
                                      std::to_string(ENOENT) + ": " + std::strerror(ENOENT));
    EXPECT_EQ(ui.LastMessage(), 1);
    EXPECT_EQ(ui.boxes.back().kind, "error");

    // A code the system has no text for keeps the code and an empty text.
    ReportSystemError(ui, 987654, 2, {"/w"});
    EXPECT_EQ(ui.Errors().back(), "Can't open file for write </w>\n\nERROR 987654: ");
    EXPECT_EQ(SystemErrorText(987654), "");
}

TEST(Messages, ArgumentsFormatByTheirConversion)
{
    EXPECT_EQ(FormatCatalogMessage(6, {12, "/d/x.dsk"}), "Can't read sector <12> from </d/x.dsk>");
    EXPECT_EQ(FormatCatalogMessage(8, {"F", -1, 65535}),
              "Disk error, filename <F>\n, fileno <-1>, sector <65535>");
    EXPECT_EQ(FormatCatalogMessage(24, {'E'}), "Can't open TI disk drive <E:>");
    EXPECT_EQ(FormatCatalogMessage(37, {"a", "b", 5}), "Can't copy file <a>\nto <b>, error <5>");
    // Missing arguments print nothing rather than whatever lies on the stack.
    EXPECT_EQ(FormatCatalogMessage(19, {"only"}), "Can't rename file <only> to <>");
    EXPECT_EQ(FormatCatalogMessage(38, {"extra"}), "Can't copy files to itself");
    // Numbers are 32 bits wide as in the catalog's own world.
    EXPECT_EQ(FormatText("%u %x %04X %ld %%", {-1, -1, 0xAB, 4294967297LL}),
              "4294967295 ffffffff 00AB 1 %");
    EXPECT_EQ(FormatText(">%04X", {0x1234}), ">1234");
    EXPECT_EQ(FormatText("[%5s|%-3d]", {"ab", 7}), "[   ab|7  ]");
    // A conversion the catalog never uses is shown, not executed.
    EXPECT_EQ(FormatText("%n%p", {1, 2}), "%n%p");
}

TEST(Messages, TextsAreCutTo511Characters)
{
    RecordingUi ui;
    const std::string longName(600, 'n');
    ReportError(ui, 16, {longName});
    ASSERT_EQ(ui.Errors().back().size(), 511u);
    EXPECT_EQ(ui.Errors().back().rfind("Invalid filename <nnn", 0), 0u);
    EXPECT_EQ(FormatText("%s", {std::string(511, 'a')}).size(), 511u);
}

TEST(Messages, AskErrorReturnsTheAnswer)
{
    RecordingUi ui;
    ui.answers.push_back(Answer::No);
    EXPECT_EQ(AskError(ui, 31, {"/d/new.dsk"}), Answer::No);
    EXPECT_EQ(ui.boxes.back().kind, "ask-error");
    EXPECT_EQ(ui.boxes.back().text, "DSK allready exist:\n</d/new.dsk>\nOverwrite?");
    EXPECT_EQ(ui.LastMessage(), 31);
    EXPECT_EQ(AskError(ui, 31, {"x"}), Answer::Cancel); // empty queue
}

} // namespace
} // namespace kestrel
