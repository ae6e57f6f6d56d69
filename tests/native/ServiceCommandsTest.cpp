#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "document/ServiceCommands.h"
#include "platform/MessageText.h"
#include "scm/PendingWait.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

class ServiceCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Web", "Web server", sc::kRunning);
        scm.Add("Mail", "Mail server", sc::kPaused);
        scm.Add("Print", "Printing", sc::kStopped);
        ASSERT_TRUE(list.Enumerate());
        scm.log.clear();
    }
    int Count(const std::string& call) {
        return static_cast<int>(std::count(scm.log.begin(), scm.log.end(), call));
    }

    fake::Scm scm;
    fake::Texts texts;
    fake::Clock clock;
    ServiceList list{scm};
    std::string lastError = "left over";
    ServiceCommands commands{list, lastError, texts, clock};
};

TEST_F(ServiceCommandsTest, StartOrContinueContinuesAPausedServiceAndStartsAnyOther) {
    ASSERT_TRUE(commands.StartOrContinue(*list.FindEntry("Mail")));
    EXPECT_EQ(Count("ControlService Mail 3"), 1);
    EXPECT_EQ(Count("StartServiceA Mail"), 0);
    EXPECT_EQ(lastError, "");
    ASSERT_TRUE(commands.StartOrContinue(*list.FindEntry("Print")));
    EXPECT_EQ(Count("StartServiceA Print"), 1);
    EXPECT_EQ(list.FindEntry("Print")->currentState, sc::kRunning);
}

TEST_F(ServiceCommandsTest, FailuresComposeFormatNameAndTheSystemsMessage) {
    scm.Fail(fake::Call::ControlService, 1052);
    scm.Fail(fake::Call::StartService, 1058);
    ServiceEntry& web = *list.FindEntry("Web");
    struct Case {
        std::function<bool()> command;
        std::string message;
    } cases[] = {
        {[&] { return commands.StopService(web); }, "T9102 Web\nSystem message 1052.\r\n"},
        {[&] { return commands.PauseService(web); }, "T9103 Web\nSystem message 1052.\r\n"},
        {[&] { return commands.RestartService(web); }, "T9104 Web\nSystem message 1052.\r\n"},
        {[&] { return commands.StartOrContinue(*list.FindEntry("Print")); },
         "T9101 Print\nSystem message 1058.\r\n"},
        {[&] { return commands.EnsureServiceRunning("Print", 2); },
         "T9101 Print\nSystem message 1058.\r\n"},
        {[&] { return commands.EnsureServiceStopped("Web", 2); },
         "T9102 Web\nSystem message 1052.\r\n"},
    };
    for (auto& c : cases) {
        lastError = "stale";
        EXPECT_FALSE(c.command());
        EXPECT_EQ(lastError, c.message);
    }
}

// The restore window shows the document's text after a failed command, and
// its own when that is empty: a text left by an earlier command would name
// the wrong service.
TEST_F(ServiceCommandsTest, EveryCommandThatSucceedsLeavesNoEarlierMessage) {
    const ServiceEntry& web = *list.FindEntry("Web");
    const uint32_t same = sc::kNoChange;
    std::function<bool()> commandsInTurn[] = {
        [&] { return commands.PauseService(web); },
        [&] { return commands.ContinueService(web); },
        [&] { return commands.StopService(web); },
        [&] { return commands.StartOrContinue(web); },
        [&] { return commands.RestartService(web); },
        [&] { return commands.EnsureServiceStopped("Print", 2); },
        [&] { return commands.EnsureServiceRunning("Web", 2); },
        [&] {
            return commands.ChangeConfig("Web", same, same, same, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr, nullptr);
        },
        [&] { return commands.ChangeDescription("Web", "x"); },
    };
    int step = 0;
    for (auto& command : commandsInTurn) {
        lastError = "stale";
        EXPECT_TRUE(command()) << step;
        EXPECT_EQ(lastError, "") << step++;
    }
}

TEST_F(ServiceCommandsTest, ConfigurationFailuresLeaveOnlyThePlatformsMessage) {
    scm.Fail(fake::Call::ChangeServiceConfig, 1057);
    EXPECT_FALSE(commands.ChangeConfig("Web", 0x10, 2, 1, nullptr, nullptr, nullptr, nullptr,
                                       nullptr, nullptr, "Web"));
    EXPECT_EQ(lastError, "System message 1057.\r\n");
    scm.Fail(fake::Call::ChangeServiceConfig2, 5);
    EXPECT_FALSE(commands.ChangeDescription("Web", "x"));
    EXPECT_EQ(lastError, "System message 5.\r\n");
    scm.ClearFailures();
    EXPECT_TRUE(commands.ChangeDescription("Web", "x"));
    EXPECT_EQ(lastError, "");
}

TEST_F(ServiceCommandsTest, RestartWaitsForTheStopToSettleThenStarts) {
    scm.Get("Web")->pendingPolls = 3;
    ASSERT_TRUE(commands.RestartService(*list.FindEntry("Web")));
    EXPECT_EQ(Count("ControlService Web 1"), 1);
    EXPECT_EQ(Count("StartServiceA Web"), 1);
    // Four polls: three still pending, the fourth sees the service stopped.
    EXPECT_EQ(clock.sleeps, 4);
    auto stop = std::find(scm.log.begin(), scm.log.end(), "ControlService Web 1");
    auto start = std::find(scm.log.begin(), scm.log.end(), "StartServiceA Web");
    EXPECT_LT(stop, start);
    EXPECT_EQ(list.FindEntry("Web")->currentState, sc::kRunning);
}

TEST_F(ServiceCommandsTest, RestartWaitsForAStopPendingWithoutAWaitHint) {
    // The service reports its stop as pending but gives no hint of how long.
    scm.Get("Web")->pendingPolls = 3;
    scm.Get("Web")->pendingWaitHint = 0;
    ASSERT_TRUE(commands.RestartService(*list.FindEntry("Web"))) << lastError;
    EXPECT_EQ(lastError, "");
    EXPECT_EQ(Count("StartServiceA Web"), 1);
    EXPECT_EQ(list.FindEntry("Web")->currentState, sc::kRunning);
}

TEST_F(ServiceCommandsTest, CommandsLeaveTheEntrySettled) {
    // Each command follows the service until it stops being pending, so a
    // view that shows the entry afterwards shows where it ended.
    for (const char* name : {"Web", "Mail", "Print"}) {
        scm.Get(name)->pendingPolls = 2;
        scm.Get(name)->pendingWaitHint = 2000;
    }
    ASSERT_TRUE(commands.StopService(*list.FindEntry("Web")));
    EXPECT_EQ(list.FindEntry("Web")->currentState, sc::kStopped);
    ASSERT_TRUE(commands.StartOrContinue(*list.FindEntry("Mail")));
    EXPECT_EQ(list.FindEntry("Mail")->currentState, sc::kRunning);
    scm.Get("Mail")->pendingPolls = 2;
    ASSERT_TRUE(commands.PauseService(*list.FindEntry("Mail")));
    EXPECT_EQ(list.FindEntry("Mail")->currentState, sc::kPaused);
    ASSERT_TRUE(commands.StartOrContinue(*list.FindEntry("Print")));
    EXPECT_EQ(list.FindEntry("Print")->currentState, sc::kRunning);
    EXPECT_EQ(list.FindEntry("Print")->waitHint, 0u);
}

TEST_F(ServiceCommandsTest, RestartOfAServiceThatNeverSettlesGivesUpAtTheBound) {
    scm.Get("Web")->pendingPolls = -1;
    EXPECT_FALSE(commands.RestartService(*list.FindEntry("Web")));
    EXPECT_GE(clock.now, kPendingWaitLimitMs);
    EXPECT_LT(clock.now, kPendingWaitLimitMs + 1000);
    // The start is still tried, and its refusal is what the user reads.
    EXPECT_EQ(lastError, "T9104 Web\nSystem message 1056.\r\n");
}

TEST_F(ServiceCommandsTest, RestartWhoseStopCanNoLongerBeFollowedSaysWhyAndSendsNoStart) {
    // The link drops while the stop is pending: a start sent blind would be
    // refused as already running, which is not what went wrong.
    scm.Get("Web")->pendingPolls = -1;
    scm.Fail(fake::Call::QueryServiceStatus, 1722);
    EXPECT_FALSE(commands.RestartService(*list.FindEntry("Web")));
    EXPECT_EQ(lastError, "T9104 Web\nSystem message 1722.\r\n");
    EXPECT_EQ(Count("StartServiceA Web"), 0);
    EXPECT_LT(clock.now, 1000u) << "the first failed read ends the wait";
}

TEST_F(ServiceCommandsTest, TheWaitEndsAsSoonAsTheStatusCannotBeRead) {
    scm.Get("Web")->pendingPolls = -1;
    ASSERT_TRUE(list.Stop("Web"));
    scm.Remove("Web");
    EXPECT_FALSE(WaitWhilePending(list, "Web", clock));
    EXPECT_EQ(clock.sleeps, 1);
}

TEST_F(ServiceCommandsTest, TheWaitSurvivesTheTickCountWrappingAround) {
    scm.Get("Web")->pendingPolls = -1;
    ASSERT_TRUE(list.Stop("Web"));
    clock.now = UINT32_MAX - 100;
    EXPECT_FALSE(WaitWhilePending(list, "Web", clock, 1000));
    EXPECT_LT(clock.now, 1200u);
    EXPECT_FALSE(WaitWhilePending(list, "Unknown", clock));
}

TEST(MessageTextTest, FillsEveryPlaceholderAndLeavesOtherDirectivesAlone) {
    EXPECT_EQ(FormatText("Error %s", "Svc"), "Error Svc");
    EXPECT_EQ(FormatText("%s and %s", "x"), "x and x");
    EXPECT_EQ(FormatText("100%% of %s %d %n", "y"), "100% of y %d %n");
    EXPECT_EQ(FormatTexts("%s goes from %s to %s%s", {"Web", "Parado", "Iniciado"}),
              "Web goes from Parado to Iniciado");
    EXPECT_EQ(FormatNumber("%u ms. (%%u)", 4294967295u), "4294967295 ms. (%u)");
    EXPECT_EQ(FormatText("trailing %", "z"), "trailing %");
    EXPECT_EQ(FormatText("%s", nullptr), "");
    EXPECT_EQ(ComposeMessage("Stopping %s", "Svc", "Denied.\r\n"), "Stopping Svc\nDenied.\r\n");
}

}  // namespace
