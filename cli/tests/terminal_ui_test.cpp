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
    // A question nobody could answer stops the work, and is an error of the command.
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui.AskOverwrite("a"), Answer::Cancel);
    EXPECT_EQ(ui.AskQuestion("q", QuestionButtons::YesNo), Answer::Cancel);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("q: no answer, stopped"),
              std::string::npos);
    EXPECT_EQ(ui.ErrorCount(), 2);
    ui.SetUnaskedAnswer(Answer::No);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui.AskOverwrite("b"), Answer::No);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("b: no terminal to ask, answered no"),
              std::string::npos);
    EXPECT_EQ(ui.ErrorCount(), 3);

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
