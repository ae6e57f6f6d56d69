// The program's arguments as the shell, an automation client, the
// registration and a program started again with more rights give them.
#include <gtest/gtest.h>

#include "settings/CommandLine.h"

namespace {

using Registration = CommandLine::Registration;

TEST(CommandLineTest, FlagsInAnyCaseAndEitherSignTheFirstFileAndNothingUnknown) {
    CommandLine line = ParseCommandLine(
        {"-embedding", "C:\\snap shots\\a.rpt", "/p", "b.rpt", "/dde", "/REGSERVER"});
    EXPECT_TRUE(line.automation);
    EXPECT_EQ(line.registration, Registration::kRegister);
    EXPECT_EQ(line.snapshot, "C:\\snap shots\\a.rpt");
    EXPECT_EQ(line.handoverProcess, 0u);

    EXPECT_FALSE(ParseCommandLine({}).automation);
    EXPECT_EQ(ParseCommandLine({"/Unregister"}).registration, Registration::kUnregister);
    EXPECT_EQ(ParseCommandLine({"/AutomationX"}).automation, false) << "a flag is matched whole";
    EXPECT_EQ(ParseCommandLine({"/Xutomation"}).automation, false) << "from its first letter";
    EXPECT_EQ(ParseCommandLine({"/Xachine:srv"}).machine, "");
    EXPECT_EQ(ParseCommandLine({"/"}).snapshot, "");
}

// What a program hands over to the one it starts with more rights comes
// back as it went, a machine with blanks included; damaged values are none.
TEST(CommandLineTest, AHandOverComesBackAsItWentAndDamagedValuesAreNone) {
    std::vector<std::string> arguments;
    std::string text = HandoverArguments(4711, 3, "srv 02");
    // Split as the platform splits a command line: blanks outside quotes.
    std::string word;
    bool quoted = false;
    for (char c : text + " ") {
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            if (!word.empty()) arguments.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    CommandLine line = ParseCommandLine(arguments);
    EXPECT_EQ(line.handoverProcess, 4711u);
    EXPECT_EQ(line.view, 3);
    EXPECT_EQ(line.machine, "srv 02");
    EXPECT_FALSE(line.automation);
    EXPECT_EQ(line.snapshot, "");
    EXPECT_EQ(HandoverArguments(1, 1, ""), "/Handover:1 /View:1");

    CommandLine damaged = ParseCommandLine({"/handover:abc", "/view:", "/machine:"});
    EXPECT_EQ(damaged.handoverProcess, 0u);
    EXPECT_EQ(damaged.view, 0);
    EXPECT_EQ(damaged.machine, "");
}

}  // namespace
