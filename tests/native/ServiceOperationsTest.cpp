#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "scm/ServiceList.h"
#include "tests/fakes/FakeScm.h"
#include "views/ServiceProperties.h"

using ::testing::ElementsAre;
namespace sc = platform::scm;

namespace {

class ServiceOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Run", "Running one", sc::kRunning);
        scm.Add("Idle", "Stopped one", sc::kStopped);
        scm.Add("Nap", "Paused one", sc::kPaused);
        ASSERT_TRUE(list.Enumerate());
        scm.log.clear();
    }

    fake::Scm scm;
    ServiceList list{scm};
};

TEST_F(ServiceOperationsTest, EachOperationOpensWithItsAccessAndClosesAfterwards) {
    platform::ServiceStatus status{};
    platform::ServiceConfigRecord* config = nullptr;
    struct Case {
        std::function<bool()> op;
        std::string open;
    } cases[] = {
        {[&] { return list.QueryStatus("Run", &status); }, "OpenServiceA Run 0x80000000"},
        {[&] { return list.QueryConfig("Run", &config); }, "OpenServiceA Run 0x80000000"},
        {[&] {
             return list.ChangeConfig("Run", sc::kNoChange, 2, sc::kNoChange, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr, "New name");
         },
         "OpenServiceA Run 0x40000000"},
        {[&] { return list.ChangeDescription("Run", "text"); }, "OpenServiceA Run 0x40000000"},
        {[&] { return list.Start("Idle"); }, "OpenServiceA Idle 0x20000000"},
        {[&] { return list.Pause("Run"); }, "OpenServiceA Run 0x20000000"},
    };
    for (auto& c : cases) {
        scm.log.clear();
        EXPECT_TRUE(c.op()) << c.open;
        ASSERT_FALSE(scm.log.empty());
        EXPECT_EQ(scm.log.front(), c.open);
        EXPECT_EQ(scm.OpenHandles(), 1) << c.open;
        EXPECT_EQ(list.GetErrorCode(), 0);
    }
    ServiceList::FreeBuffer(config);
}

TEST_F(ServiceOperationsTest, FailuresGiveTheirOwnCodeAndTheMessageReadAfterTheClose) {
    struct Case {
        fake::Call call;
        std::function<bool()> op;
        int code;
    } cases[] = {
        {fake::Call::OpenService, [&] { return list.Start("Idle"); }, kErrOpenService},
        {fake::Call::StartService, [&] { return list.Start("Idle"); }, kErrStart},
        {fake::Call::ControlService, [&] { return list.Stop("Run"); }, kErrControl},
        {fake::Call::QueryServiceStatus,
         [&] {
             platform::ServiceStatus s;
             return list.QueryStatus("Run", &s);
         },
         kErrQueryStatus},
        {fake::Call::ChangeServiceConfig,
         [&] {
             return list.ChangeConfig("Run", 0x10, 3, 1, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr);
         },
         kErrChangeConfig},
        {fake::Call::ChangeServiceConfig2, [&] { return list.ChangeDescription("Run", "d"); },
         kErrChangeConfig2},
    };
    for (auto& c : cases) {
        scm.ClearFailures();
        scm.Fail(c.call, 1234);
        scm.log.clear();
        EXPECT_FALSE(c.op()) << c.code;
        EXPECT_EQ(list.GetErrorCode(), c.code);
        EXPECT_STREQ(list.GetErrorText(), "System message 1234.\r\n");
        EXPECT_EQ(scm.OpenHandles(), 1) << c.code;
        if (c.code != kErrOpenService) {
            EXPECT_THAT(scm.log.back(), ::testing::StartsWith("Close"));
        }
    }
}

TEST_F(ServiceOperationsTest, AServiceDeletedSinceTheEnumerationFailsAtOpenWithError6) {
    scm.Remove("Idle");
    EXPECT_FALSE(list.Start("Idle"));
    EXPECT_EQ(list.GetErrorCode(), kErrOpenService);
    EXPECT_STREQ(list.GetErrorText(), "System message 1060.\r\n");
    EXPECT_EQ(list.FindEntry("Idle")->currentState, sc::kStopped);
}

TEST_F(ServiceOperationsTest, OperationsOnAClosedListOrWithoutArgumentsMakeNoCall) {
    ServiceList closed{scm};
    platform::ServiceStatus status;
    platform::ServiceConfigRecord* config = nullptr;
    EXPECT_FALSE(closed.Start("Idle"));
    EXPECT_EQ(closed.GetErrorCode(), kErrNoConnection);
    EXPECT_STREQ(closed.GetErrorText(), "");
    EXPECT_FALSE(closed.QueryStatus("Run", &status));
    EXPECT_EQ(closed.GetErrorCode(), kErrNoConnection);
    EXPECT_FALSE(list.QueryConfig("Run", nullptr));
    EXPECT_EQ(list.GetErrorCode(), kErrArgument);
    EXPECT_FALSE(closed.QueryConfig("Run", nullptr));
    EXPECT_EQ(closed.GetErrorCode(), kErrArgument);
    EXPECT_FALSE(closed.QueryConfig("Run", &config));
    EXPECT_EQ(closed.GetErrorCode(), kErrNoConnection);
    EXPECT_FALSE(list.Stop(nullptr));
    EXPECT_EQ(list.GetErrorCode(), kErrArgument);
    EXPECT_TRUE(scm.log.empty());
    EXPECT_EQ(config, nullptr);
}

TEST_F(ServiceOperationsTest, AConfigurationTakesOneQueryAndTheBufferIsHandedOver) {
    scm.Get("Run")->binaryPath = "C:\\run.exe -k";
    scm.Get("Run")->dependencies = std::string("Idle\0Nap", 8);
    scm.Get("Run")->description = "Runs things";
    scm.Get("Run")->failureActions = {{1, 60000}, {0, 0}};
    scm.Get("Run")->resetPeriod = 86400;

    platform::ServiceConfigRecord* config = nullptr;
    ASSERT_TRUE(list.QueryConfig("run", &config));
    EXPECT_THAT(scm.log, ElementsAre("OpenServiceA run 0x80000000", "QueryServiceConfigA Run",
                                     "CloseServiceHandle Run"));
    EXPECT_STREQ(config->binaryPathName, "C:\\run.exe -k");
    EXPECT_STREQ(config->dependencies, "Idle");
    EXPECT_STREQ(config->dependencies + 5, "Nap");
    EXPECT_STREQ(config->displayName, "Running one");
    ServiceList::FreeBuffer(config);

    platform::ServiceDescription* description = nullptr;
    ASSERT_TRUE(list.QueryDescription("Run", &description));
    EXPECT_STREQ(description->description, "Runs things");
    ServiceList::FreeBuffer(description);

    platform::ServiceFailureActions* actions = nullptr;
    ASSERT_TRUE(list.QueryFailureActions("Run", &actions));
    EXPECT_EQ(actions->resetPeriod, 86400u);
    ASSERT_EQ(actions->actionCount, 2u);
    EXPECT_EQ(actions->actions[0].delay, 60000u);
    ServiceList::FreeBuffer(actions);
}

// A record beyond the documented size is asked for again at its own size;
// one that still does not fit, or a size of 0, is error 10 with the
// out-argument unset.
TEST_F(ServiceOperationsTest, ALargerConfigurationIsAskedForOnceMoreAndNeverHalf) {
    scm.Get("Run")->binaryPath = "C:\\run.exe " + std::string(9000, 'x');
    platform::ServiceConfigRecord* config = nullptr;
    ASSERT_TRUE(list.QueryConfig("Run", &config)) << list.GetErrorText();
    EXPECT_EQ(std::strlen(config->binaryPathName), 9011u);
    EXPECT_STREQ(config->displayName, "Running one");
    ServiceList::FreeBuffer(config);
    EXPECT_EQ(std::count(scm.log.begin(), scm.log.end(), "QueryServiceConfigA Run"), 2);

    auto* untouched = reinterpret_cast<platform::ServiceConfigRecord*>(0x1);
    for (uint32_t reported : {0u, 8500u}) {
        scm.ReportConfigSize(reported);
        config = untouched;
        EXPECT_FALSE(list.QueryConfig("Run", &config)) << reported;
        EXPECT_EQ(list.GetErrorCode(), kErrQueryConfig);
        EXPECT_EQ(config, untouched);
        EXPECT_EQ(scm.OpenHandles(), 1);
    }
}

TEST_F(ServiceOperationsTest, AReportedSizeOf0FailsWithError10AndLeavesTheOutArgumentUnset) {
    scm.ReportConfigSize(0);
    auto* untouched = reinterpret_cast<platform::ServiceDescription*>(0x1);
    platform::ServiceDescription* description = untouched;
    EXPECT_FALSE(list.QueryDescription("Run", &description));
    EXPECT_EQ(list.GetErrorCode(), kErrQueryConfig);
    EXPECT_EQ(description, untouched);
    EXPECT_EQ(scm.OpenHandles(), 1);
}

TEST_F(ServiceOperationsTest, AFailedSecondQueryStillHandsTheBufferToTheCaller) {
    // The sizing call reports too little room for the text, so the second call fails.
    scm.ReportConfigSize(8);
    scm.Get("Run")->description = "a description longer than eight bytes";
    platform::ServiceDescription* description = nullptr;
    EXPECT_FALSE(list.QueryDescription("Run", &description));
    EXPECT_EQ(list.GetErrorCode(), kErrQueryConfig);
    EXPECT_STREQ(list.GetErrorText(), "System message 122.\r\n");
    ASSERT_NE(description, nullptr);
    ServiceList::FreeBuffer(description);
}

TEST_F(ServiceOperationsTest, StartAndConfigurationChangesRefreshTheEntry) {
    ASSERT_TRUE(list.Start("IDLE"));
    EXPECT_THAT(scm.log, ElementsAre("OpenServiceA IDLE 0x20000000", "StartServiceA Idle",
                                     "CloseServiceHandle Idle", "OpenServiceA Idle 0x4",
                                     "QueryServiceStatus Idle", "CloseServiceHandle Idle"));
    EXPECT_EQ(list.FindEntry("Idle")->currentState, sc::kRunning);

    scm.Get("Run")->status.currentState = sc::kStopped;
    ASSERT_TRUE(list.ChangeDescription("Run", "new text"));
    EXPECT_EQ(scm.Get("Run")->description, "new text");
    EXPECT_EQ(list.FindEntry("Run")->currentState, sc::kStopped);
}

TEST_F(ServiceOperationsTest, ChangeConfigPassesEveryArgumentThrough) {
    ASSERT_TRUE(list.ChangeConfig("Run", sc::kNoChange, 4, sc::kNoChange, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, "Renamed"));
    EXPECT_EQ(scm.Get("Run")->startType, 4u);
    EXPECT_EQ(scm.Get("Run")->errorControl, 1u);
    EXPECT_EQ(scm.Get("Run")->binaryPath, "C:\\svc.exe");
    EXPECT_EQ(scm.Get("Run")->displayName, "Renamed");
    scm.Get("Run")->status.currentState = sc::kStopped;
    EXPECT_FALSE(list.Start("Run"));  // now disabled
    EXPECT_STREQ(list.GetErrorText(), "System message 1058.\r\n");
}

TEST_F(ServiceOperationsTest, ControlCopiesTheReturnedStatusWithoutAnotherQuery) {
    scm.Get("Run")->pendingPolls = 2;
    ASSERT_TRUE(list.Stop("Run"));
    EXPECT_THAT(scm.log, ElementsAre("OpenServiceA Run 0x20000000", "ControlService Run 1",
                                     "CloseServiceHandle Run"));
    ServiceEntry* run = list.FindEntry("Run");
    EXPECT_EQ(run->currentState, sc::kStopPending);
    EXPECT_EQ(run->waitHint, 3000u);
}

TEST_F(ServiceOperationsTest, AFailedControlLeavesTheEntryAsItWas) {
    ServiceEntry before = *list.FindEntry("Idle");
    EXPECT_FALSE(list.Stop("Idle"));
    EXPECT_EQ(list.GetErrorCode(), kErrControl);
    EXPECT_STREQ(list.GetErrorText(), "System message 1062.\r\n");
    EXPECT_EQ(list.FindEntry("Idle")->currentState, before.currentState);
}

struct EnsureCase {
    uint32_t state;
    bool running;                    // EnsureRunning, else EnsureStopped
    std::vector<std::string> calls;  // after the status query
};

void PrintTo(const EnsureCase& c, std::ostream* os) {
    *os << (c.running ? "EnsureRunning" : "EnsureStopped") << " from state " << c.state;
}

class EnsureTest : public ::testing::TestWithParam<EnsureCase> {};

TEST_P(EnsureTest, ActsByTheCurrentState) {
    const EnsureCase& c = GetParam();
    fake::Scm scm;
    scm.Add("Svc", "Service", c.state).status.controlsAccepted = 3;
    ServiceList list{scm};
    ASSERT_TRUE(list.Enumerate());
    scm.log.clear();
    bool ok = c.running ? list.EnsureRunning("Svc", 10) : list.EnsureStopped("Svc", 10);
    EXPECT_TRUE(ok);
    std::vector<std::string> expected = {"OpenServiceA Svc 0x80000000", "QueryServiceStatus Svc",
                                         "CloseServiceHandle Svc"};
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    if (!c.calls.empty()) expected.push_back("CloseServiceHandle Svc");
    if (c.calls.size() == 2 && c.calls[1] == "StartServiceA Svc") {
        expected.insert(expected.end(), {"OpenServiceA Svc 0x4", "QueryServiceStatus Svc",
                                         "CloseServiceHandle Svc"});
    }
    EXPECT_EQ(scm.log, expected);
}

INSTANTIATE_TEST_SUITE_P(
    States, EnsureTest,
    ::testing::Values(
        EnsureCase{sc::kStartPending, true, {}}, EnsureCase{sc::kRunning, true, {}},
        EnsureCase{sc::kContinuePending, true, {}},
        EnsureCase{sc::kStopped, true, {"OpenServiceA Svc 0x20000000", "StartServiceA Svc"}},
        EnsureCase{sc::kPaused, true, {"OpenServiceA Svc 0x20000000", "ControlService Svc 3"}},
        EnsureCase{
            sc::kPausePending, true, {"OpenServiceA Svc 0x20000000", "ControlService Svc 3"}},
        EnsureCase{sc::kStopped, false, {}}, EnsureCase{sc::kStopPending, false, {}},
        EnsureCase{sc::kPaused, false, {"OpenServiceA Svc 0x20000000", "ControlService Svc 1"}},
        EnsureCase{sc::kRunning, false, {"OpenServiceA Svc 0x20000000", "ControlService Svc 1"}}));

TEST_F(ServiceOperationsTest, EnsureMakesOneAttemptForZeroOrNegativeCounts) {
    scm.Fail(fake::Call::StartService, 1053);
    for (int attempts : {0, -3, 1}) {
        scm.log.clear();
        EXPECT_FALSE(list.EnsureRunning("Idle", attempts));
        EXPECT_EQ(std::count(scm.log.begin(), scm.log.end(), "StartServiceA Idle"), 1);
        EXPECT_EQ(list.GetErrorCode(), kErrStart);
    }
    scm.log.clear();
    EXPECT_FALSE(list.EnsureRunning("Idle", 10));
    EXPECT_EQ(std::count(scm.log.begin(), scm.log.end(), "StartServiceA Idle"), 10);
    EXPECT_STREQ(list.GetErrorText(), "System message 1053.\r\n");
}

TEST_F(ServiceOperationsTest, EnsureStopsAtTheFirstFailedStatusQuery) {
    scm.Fail(fake::Call::QueryServiceStatus, 5, "Run");
    EXPECT_FALSE(list.EnsureStopped("Run", 10));
    EXPECT_EQ(list.GetErrorCode(), kErrQueryStatus);
    EXPECT_EQ(std::count(scm.log.begin(), scm.log.end(), "QueryServiceStatus Run"), 1);
    EXPECT_FALSE(list.EnsureRunning("Gone", 10));
    EXPECT_EQ(list.GetErrorCode(), kErrOpenService);
}

TEST_F(ServiceOperationsTest, EnsureGivesUpOnAStateItDoesNotKnow) {
    scm.Get("Run")->status.currentState = 9;
    EXPECT_FALSE(list.EnsureRunning("Run", 3));
    EXPECT_EQ(std::count(scm.log.begin(), scm.log.end(), "QueryServiceStatus Run"), 3);
    EXPECT_EQ(list.GetErrorCode(), 0);
}

}  // namespace

// A record that lacks its list's final empty name or claims more actions
// than it holds is read no further than its buffer (the sanitizer build
// would see a read past it).
TEST_F(ServiceOperationsTest, DamagedConfigurationRecordsAreReadOnlyWithinTheirBuffers) {
    fake::Service* run = scm.Get("Run");
    run->dependencies = std::string("Idle\0Nap", 8);
    run->unterminatedDependencies = true;
    run->failureActions = {{1, 500}, {2, 60000}};
    run->actionsClaimedBeyond = 5000;

    platform::ServiceConfigRecord* config = nullptr;
    ASSERT_TRUE(list.QueryConfig("Run", &config));
    EXPECT_EQ(DependencyNames(config->dependencies), (std::vector<std::string>{"Nap", "Idle"}));
    ServiceList::FreeBuffer(config);

    platform::ServiceFailureActions* actions = nullptr;
    ASSERT_TRUE(list.QueryFailureActions("Run", &actions));
    ASSERT_EQ(actions->actionCount, 2u);
    EXPECT_EQ(actions->actions[1].type, 2u);
    ServiceList::FreeBuffer(actions);

    run->failureActions.clear();
    run->actionsClaimedBeyond = 0;
    ASSERT_TRUE(list.QueryFailureActions("Run", &actions));
    EXPECT_EQ(actions->actionCount, 0u);
    ServiceList::FreeBuffer(actions);
}
