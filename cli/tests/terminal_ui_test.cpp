#include <gtest/gtest.h>

#include "cli/terminal_ui.h"
#include "tifs/messages.h"

namespace kestrel::cli
{
namespace
{

TEST(TerminalUi, AnswersFromFlagsOrRefusesWithoutTerminal)
{
    TerminalUi ui;
    ui.SetInteractive(false);
    EXPECT_EQ(ui.AskOverwrite("a"), Answer::Cancel);
    EXPECT_EQ(ui.AskQuestion("q", QuestionButtons::YesNo), Answer::Cancel);

    std::vector<std::string> args = {"--all", "x", "--no"};
    EXPECT_TRUE(ui.TakeAnswerFlags(args));
    EXPECT_EQ(args, std::vector<std::string>{"x"});
    EXPECT_EQ(ui.AskOverwrite("a"), Answer::No); // the last flag wins

    ui.SetDefaultAnswer(Answer::All);
    EXPECT_EQ(ui.AskOverwrite("a"), Answer::All);
    EXPECT_EQ(ui.AskQuestion("q", QuestionButtons::YesNoCancel), Answer::Yes);
    EXPECT_EQ(ui.AskQuestion("q", QuestionButtons::OkCancel), Answer::Ok);
    ui.SetDefaultAnswer(Answer::No);
    EXPECT_EQ(ui.AskQuestion("q", QuestionButtons::OkCancel), Answer::Cancel);
}

TEST(TerminalUi, ErrorsCountAndKeepTheMessageNumber)
{
    TerminalUi ui;
    ui.SetInteractive(false);
    testing::internal::CaptureStderr();
    ReportError(ui, 35, {"NAME"});
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "ERROR: File <NAME> doesn't exist\n");
    EXPECT_EQ(ui.ErrorCount(), 1);
    EXPECT_EQ(ui.LastMessage(), 35);

    std::string name;
    EXPECT_FALSE(ui.ChooseFile(true, "t", "f", "e", "/", name));
    ui.QueueChosenFile("/tmp/x");
    EXPECT_TRUE(ui.ChooseFile(true, "t", "f", "e", "/", name));
    EXPECT_EQ(name, "/tmp/x");
}

} // namespace
} // namespace kestrel::cli
