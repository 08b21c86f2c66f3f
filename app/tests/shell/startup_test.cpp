#include <gtest/gtest.h>

#include "app/shell/startup.h"
#include "app/shell/version.h"

namespace kestrel
{
namespace
{

using Action = ProgramArguments::Action;

TEST(ProgramArguments, LocationsAndTheScreenshotOption)
{
    ProgramArguments a = ParseProgramArguments({});
    EXPECT_EQ(a.action, Action::Run);
    EXPECT_TRUE(a.locations.empty());

    a = ParseProgramArguments({"--screenshot", "/tmp/w.png", "/ti", "/ti/games.dsk"});
    EXPECT_EQ(a.action, Action::Run);
    EXPECT_EQ(a.screenshot, "/tmp/w.png");
    EXPECT_EQ(a.locations, (std::vector<std::string>{"/ti", "/ti/games.dsk"}));

    // After "--" a name that begins with "-" is a location, and so is "-".
    a = ParseProgramArguments({"--", "--help", "-"});
    EXPECT_EQ(a.action, Action::Run);
    EXPECT_EQ(a.locations, (std::vector<std::string>{"--help", "-"}));
}

TEST(ProgramArguments, HelpAndVersionWinWhereverTheyStand)
{
    EXPECT_EQ(ParseProgramArguments({"--help"}).action, Action::Help);
    EXPECT_EQ(ParseProgramArguments({"-h"}).action, Action::Help);
    EXPECT_EQ(ParseProgramArguments({"--version"}).action, Action::Version);
    // Next to an option only the toolkit knows, or after a fault.
    EXPECT_EQ(ParseProgramArguments({"-platform", "offscreen", "--version"}).action,
              Action::Version);
    EXPECT_EQ(ParseProgramArguments({"a", "b", "c", "--help"}).action, Action::Help);
    EXPECT_EQ(ParseProgramArguments({"--version", "--help"}).action, Action::Help);
}

TEST(ProgramArguments, FaultsAreUsageErrorsNamingTheFirst)
{
    ProgramArguments a = ParseProgramArguments({"--bogus", "a", "b", "c"});
    EXPECT_EQ(a.action, Action::UsageError);
    EXPECT_EQ(a.error, "unknown option --bogus");
    a = ParseProgramArguments({"a", "b", "c"});
    EXPECT_EQ(a.action, Action::UsageError);
    EXPECT_EQ(a.error, "at most two locations, LEFT and RIGHT");
    a = ParseProgramArguments({"a", "--screenshot"});
    EXPECT_EQ(a.action, Action::UsageError);
    EXPECT_EQ(a.error, "--screenshot needs a FILE");
    EXPECT_EQ(kExitUsage, 2);
}

TEST(ProgramArguments, UsageNamesEveryOptionAndVersionIsTheProgramsOwn)
{
    const std::string usage = ProgramUsageText();
    for (const char *option : {"--help", "--version", "--screenshot FILE", "[LEFT [RIGHT]]"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_EQ(ProgramVersionLine(), "kestrel 8.2c 20210408\n");
    EXPECT_NE(MainWindowTitle().find("8.2c 20210408"), std::string::npos);
}

TEST(AbsoluteStartLocation, RelativeLocationsAreTakenFromTheWorkingDirectory)
{
    EXPECT_EQ(AbsoluteStartLocation("games.dsk", "/home/ti"), "/home/ti/games.dsk");
    EXPECT_EQ(AbsoluteStartLocation("disks/games.dsk/UTIL", "/home/ti"),
              "/home/ti/disks/games.dsk/UTIL");
    EXPECT_EQ(AbsoluteStartLocation(".", "/home/ti"), "/home/ti");
    EXPECT_EQ(AbsoluteStartLocation("../x/", "/home/ti"), "/home/x");
    EXPECT_EQ(AbsoluteStartLocation("/abs/./a.img", "/home/ti"), "/abs/a.img");
    EXPECT_EQ(AbsoluteStartLocation("/", "/home/ti"), "/");
    EXPECT_EQ(AbsoluteStartLocation("", "/home/ti"), "");
}

} // namespace
} // namespace kestrel
