#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "scm/ServiceList.h"
#include "tests/fakes/FakeScm.h"
#include "tests/fakes/FaultyPlatform.h"

using ::testing::ElementsAre;
namespace sc = platform::scm;

namespace {

class ServiceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Alpha", "Alpha service", sc::kRunning);
        scm.Add("beta", "Beta service", sc::kStopped);
        scm.Add("Gamma", "Gamma service", sc::kPaused);
        scm.Add("Disk", "Disk driver", sc::kRunning).status.serviceType = sc::kTypeKernelDriver;
        scm.Add("Fs", "File system", sc::kStopped).status.serviceType = sc::kTypeFileSystemDriver;
    }

    std::vector<std::string> Names(ServiceList& l) {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < l.GetCount(); ++i) names.push_back(l.EntryAt(i)->name);
        return names;
    }

    fake::Scm scm;
    ServiceList list{scm};
};

TEST_F(ServiceListTest, OptionsMapToTheFiltersOfBothEnumerationCalls) {
    struct Case {
        uint32_t win32, driver, active, inactive, type, state;
        std::vector<std::string> names;
    } cases[] = {
        {1, 0, 1, 1, 0x30, 3, {"Alpha", "beta", "Gamma"}},
        {1, 0, 1, 0, 0x30, 1, {"Alpha", "Gamma"}},
        {1, 0, 0, 1, 0x30, 2, {"beta"}},
        {0, 1, 1, 1, 0x0B, 3, {"Disk", "Fs"}},
        {1, 1, 1, 1, 0x3B, 3, {"Alpha", "beta", "Gamma", "Disk", "Fs"}},
        {1, 1, 0, 1, 0x3B, 2, {"beta", "Fs"}},
    };
    for (const auto& c : cases) {
        ServiceList list{scm};
        scm.log.clear();
        list.win32 = c.win32;
        list.driver = c.driver;
        list.active = c.active;
        list.inactive = c.inactive;
        ASSERT_TRUE(list.Enumerate());
        char filters[64];
        std::snprintf(filters, sizeof filters, "0x%X 0x%X", c.type, c.state);
        std::string sizing = std::string("EnumServicesStatusA ") + filters + " 0";
        EXPECT_THAT(scm.log, ElementsAre("OpenSCManagerA (null) (null) 0xF003F", sizing,
                                         ::testing::StartsWith(std::string("EnumServicesStatusA ") +
                                                               filters)));
        EXPECT_EQ(Names(list), c.names) << filters;
        EXPECT_EQ(list.GetErrorCode(), 0);
    }
}

TEST_F(ServiceListTest, OptionsThatSelectNothingFailWithoutAnyPlatformCall) {
    for (auto clear : {&ServiceList::win32, &ServiceList::active}) {
        ServiceList l{scm};
        l.driver = 0;
        (l.*clear) = 0;
        if (clear == &ServiceList::active) l.inactive = 0;
        scm.log.clear();
        EXPECT_FALSE(l.Enumerate());
        EXPECT_EQ(l.GetErrorCode(), kErrArgument);
        EXPECT_STREQ(l.GetErrorText(), "");
        EXPECT_TRUE(scm.log.empty());
        EXPECT_EQ(l.GetCount(), 0u);
    }
}

TEST_F(ServiceListTest, UnreachableMachineLeavesAnEmptyListWithTheSystemsMessage) {
    list.SetMachineName("nowhere");
    EXPECT_FALSE(list.Enumerate());
    EXPECT_EQ(list.GetErrorCode(), kErrNoConnection);
    EXPECT_STREQ(list.GetErrorText(), "System message 1722.\r\n");
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_FALSE(list.IsOpen());
    EXPECT_EQ(scm.log.front(), "OpenSCManagerA nowhere (null) 0xF003F");
}

TEST_F(ServiceListTest, NamesAreCopiedAndEmptyOrNullMeansNone) {
    std::string name = "server1";
    list.SetMachineName(name.c_str());
    name[0] = 'X';
    EXPECT_STREQ(list.GetMachineName(), "server1");
    list.SetMachineName("");
    EXPECT_EQ(list.GetMachineName(), nullptr);
    list.SetMachineName("a");
    list.SetMachineName(nullptr);
    EXPECT_EQ(list.GetMachineName(), nullptr);
    list.SetDatabaseName("");
    EXPECT_EQ(list.GetDatabaseName(), nullptr);
}

int EnumCalls(const fake::Scm& scm) {
    int calls = 0;
    for (const std::string& line : scm.log) calls += line.rfind("EnumServicesStatusA", 0) == 0;
    return calls;
}

// The list's one block: the records, then the texts they point to, filling
// the space right behind the records (in whatever order) without a gap.
void ExpectOneBlock(const ServiceList& list) {
    const char* records = reinterpret_cast<const char*>(list.EntryAt(0));
    std::vector<std::pair<const char*, size_t>> texts;
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry* e = list.EntryAt(i);
        ASSERT_EQ(reinterpret_cast<const char*>(e), records + i * sizeof(ServiceEntry));
        for (const char* field : {e->name, e->displayName})
            texts.emplace_back(field, std::strlen(field) + 1);
    }
    std::sort(texts.begin(), texts.end());
    const char* next = records + list.GetCount() * sizeof(ServiceEntry);
    for (const auto& text : texts) {
        ASSERT_EQ(text.first, next);
        next += text.second;
    }
}

TEST_F(ServiceListTest, AListBeyondOneCallIsReadWholeIntoOneBlock) {
    // Drivers shown on a large machine: far more than one call hands out.
    std::vector<std::string> expected = {"Alpha", "beta", "Gamma", "Disk", "Fs"};
    for (int i = 0; i < 400; ++i) {
        std::string name = "Driver" + std::to_string(i);
        scm.Add(name, std::string(i % 50, 'd'), sc::kStopped).status.serviceType =
            sc::kTypeKernelDriver;
        expected.push_back(name);
    }
    scm.enumByteLimit = 2048;
    list.driver = 1;
    ASSERT_TRUE(list.Enumerate()) << list.GetErrorText();
    EXPECT_EQ(Names(list), expected);
    EXPECT_EQ(list.EntryAt(405 - 1)->displayName, std::string(399 % 50, 'd'));
    EXPECT_GT(EnumCalls(scm), 10);
    ExpectOneBlock(list);
    EXPECT_EQ(list.FindIndex("driver399"), 404);
}

TEST_F(ServiceListTest, ServicesAddedWhileTheListIsReadAreReadToo) {
    // Windows fills what fits and goes on from there; Wine gives nothing
    // when the list no longer fits, and the list is sized again.
    for (bool partly : {true, false}) {
        fake::Scm machine;
        machine.Add("Alpha", "Alpha service", sc::kRunning);
        machine.Add("beta", "Beta service", sc::kStopped);
        machine.enumFillsPartly = partly;
        int added = 0;
        machine.afterSizingCall = [&] { machine.Add("Late", "Late arrival", sc::kRunning); };
        machine.afterEveryEnumCall = [&] {
            if (++added <= 3) machine.Add("Later" + std::to_string(added), "Later", sc::kRunning);
        };
        ServiceList l{machine};
        ASSERT_TRUE(l.Enumerate()) << partly << " " << l.GetErrorText();
        EXPECT_EQ(Names(l),
                  (std::vector<std::string>{"Alpha", "beta", "Late", "Later1", "Later2", "Later3"}))
            << partly;
        ExpectOneBlock(l);
        EXPECT_EQ(machine.OpenHandles(), 1);
    }
}

TEST_F(ServiceListTest, AListThatNeverStopsGrowingOrAFailingCallEndsWithError3) {
    scm.enumFillsPartly = false;
    int added = 0;
    scm.afterEveryEnumCall = [&] { scm.Add("Svc" + std::to_string(++added), "x", sc::kRunning); };
    EXPECT_FALSE(list.Enumerate());
    EXPECT_EQ(list.GetErrorCode(), kErrEnumerate);
    EXPECT_STREQ(list.GetErrorText(), "System message 234.\r\n");
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_LT(EnumCalls(scm), 20);  // sized again a bounded number of times
    // The connection obtained before the failure stays until the next attempt.
    EXPECT_TRUE(list.IsOpen());

    scm.afterEveryEnumCall = nullptr;
    scm.enumFillsPartly = true;
    scm.enumByteLimit = 200;
    scm.Fail(fake::Call::EnumServicesStatus, 5, "", 1);
    scm.log.clear();
    // The sizing call takes the failure, which is not looked at.
    ASSERT_TRUE(list.Enumerate());
    scm.afterSizingCall = [&] { scm.Fail(fake::Call::EnumServicesStatus, 5, "", -1); };
    EXPECT_FALSE(list.Enumerate());
    EXPECT_EQ(list.GetErrorCode(), kErrEnumerate);
    EXPECT_STREQ(list.GetErrorText(), "System message 5.\r\n");
    EXPECT_EQ(list.GetCount(), 0u);
    scm.ClearFailures();
    scm.afterSizingCall = nullptr;
    EXPECT_TRUE(list.Enumerate());
    EXPECT_EQ(list.GetCount(), 3u + added);
    EXPECT_EQ(scm.OpenHandles(), 1);
}

TEST_F(ServiceListTest, EnumerateReleasesThePreviousConnectionAndReleaseClosesIt) {
    ASSERT_TRUE(list.Enumerate());
    ASSERT_TRUE(list.Enumerate());
    EXPECT_EQ(scm.OpenHandles(), 1);
    list.Release();
    EXPECT_EQ(scm.OpenHandles(), 0);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.win32, 1u);  // options stay
    {
        ServiceList scoped{scm};
        ASSERT_TRUE(scoped.Enumerate());
        EXPECT_EQ(scm.OpenHandles(), 1);
    }
    EXPECT_EQ(scm.OpenHandles(), 0);
}

TEST_F(ServiceListTest, AMachineWithNoMatchingServicesGivesAnEmptyOpenList) {
    list.active = 0;
    list.win32 = 0;
    list.driver = 1;
    scm.Remove("Fs");
    EXPECT_TRUE(list.Enumerate());
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_TRUE(list.IsOpen());
}

TEST_F(ServiceListTest, LookupIgnoresLetterCaseButNeverUsesDisplayNames) {
    ASSERT_TRUE(list.Enumerate());
    EXPECT_EQ(list.FindIndex("ALPHA"), 0);
    EXPECT_EQ(list.FindIndex("Beta"), 1);
    EXPECT_EQ(list.GetErrorCode(), 0);
    EXPECT_EQ(list.FindIndex("Alpha service"), -1);
    EXPECT_EQ(list.GetErrorCode(), kErrNotFound);
    EXPECT_EQ(list.FindEntry(nullptr), nullptr);
    EXPECT_EQ(list.GetErrorCode(), kErrNotFound);
    ServiceEntry* gamma = list.FindEntry("gAmMa");
    ASSERT_NE(gamma, nullptr);
    EXPECT_STREQ(gamma->displayName, "Gamma service");
    EXPECT_EQ(gamma->currentState, sc::kPaused);
}

TEST_F(ServiceListTest, IndexPastTheEndGivesError4AndLaterCallsClearIt) {
    ASSERT_TRUE(list.Enumerate());
    EXPECT_EQ(list.GetEntry(list.GetCount()), nullptr);
    EXPECT_EQ(list.GetErrorCode(), kErrIndex);
    EXPECT_NE(list.GetEntry(0), nullptr);
    EXPECT_EQ(list.GetErrorCode(), 0);
    EXPECT_EQ(list.GetEntry(UINT32_MAX), nullptr);
}

TEST_F(ServiceListTest, AClosedListAnswersWithoutPlatformCalls) {
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetEntry(0), nullptr);
    EXPECT_EQ(list.FindIndex("Alpha"), -1);
    EXPECT_EQ(list.RefreshAllStatus(), 0u);
    EXPECT_FALSE(list.RefreshStatus("Alpha"));
    EXPECT_EQ(list.GetErrorCode(), 0);
    EXPECT_TRUE(scm.log.empty());
}

TEST_F(ServiceListTest, CopyOptionsTakesOptionsButNotEntriesOrErrors) {
    ServiceList other{scm};
    other.win32 = 0;
    other.driver = 1;
    other.active = 0;
    other.accessType = 0x5;
    other.SetMachineName("server1");
    other.SetDatabaseName("ServicesActive");
    ASSERT_TRUE(list.Enumerate());
    list.CopyOptions(other);
    EXPECT_EQ(list.win32, 0u);
    EXPECT_EQ(list.driver, 1u);
    EXPECT_EQ(list.active, 0u);
    EXPECT_EQ(list.inactive, 1u);
    EXPECT_EQ(list.accessType, 0x5u);
    EXPECT_STREQ(list.GetMachineName(), "server1");
    EXPECT_STREQ(list.GetDatabaseName(), "ServicesActive");
    EXPECT_EQ(list.GetCount(), 3u);
    list.CopyOptions(list);
    EXPECT_STREQ(list.GetMachineName(), "server1");
}

TEST_F(ServiceListTest, RefreshAllIsOneEnumerationOfEveryStateOverTheOpenConnection) {
    ASSERT_TRUE(list.Enumerate());
    scm.Get("beta")->status.currentState = sc::kRunning;
    scm.log.clear();
    EXPECT_EQ(list.RefreshAllStatus(), 3u);
    ASSERT_EQ(scm.log.size(), 2u);
    EXPECT_EQ(scm.log[0], "EnumServicesStatusA 0x30 0x3 0");
    EXPECT_EQ(list.FindEntry("beta")->currentState, sc::kRunning);
    EXPECT_EQ(scm.OpenHandles(), 1) << "the enumeration's connection alone";
}

TEST_F(ServiceListTest, RefreshFailuresKeepTheOldStatusAndRecordNothing) {
    ASSERT_TRUE(list.Enumerate());
    scm.Fail(fake::Call::QueryServiceStatus, 5, "Alpha");
    scm.Get("Alpha")->status.currentState = sc::kStopped;
    scm.Remove("beta");
    // One at a time, a refused query keeps the old state.
    EXPECT_FALSE(list.RefreshStatus("Alpha"));
    EXPECT_EQ(list.FindEntry("Alpha")->currentState, sc::kRunning);
    // A deleted service keeps its last state when all are read at once.
    scm.Get("Gamma")->status.currentState = sc::kRunning;
    EXPECT_EQ(list.RefreshAllStatus(), 2u);
    EXPECT_EQ(list.GetErrorCode(), 0);
    EXPECT_EQ(list.FindEntry("Alpha")->currentState, sc::kStopped);
    EXPECT_EQ(list.FindEntry("beta")->currentState, sc::kStopped);
    EXPECT_EQ(list.FindEntry("Gamma")->currentState, sc::kRunning);
    EXPECT_EQ(scm.OpenHandles(), 1);

    EXPECT_FALSE(list.RefreshStatus("BETA"));
    EXPECT_EQ(list.GetErrorCode(), 0);
    EXPECT_STREQ(list.GetErrorText(), "");
    EXPECT_FALSE(list.RefreshStatus("nobody"));
}

TEST_F(ServiceListTest, RefreshStatusUpdatesOnlyTheFirstEntryOfThatName) {
    ASSERT_TRUE(list.Enumerate());
    scm.Get("Gamma")->status = {0x10, sc::kRunning, 3, 0, 0, 0, 0};
    scm.Get("Alpha")->status.currentState = sc::kStopped;
    scm.log.clear();
    EXPECT_TRUE(list.RefreshStatus("GAMMA"));
    EXPECT_THAT(scm.log, ElementsAre("OpenServiceA Gamma 0x4", "QueryServiceStatus Gamma",
                                     "CloseServiceHandle Gamma"));
    EXPECT_EQ(list.FindEntry("Gamma")->currentState, sc::kRunning);
    EXPECT_EQ(list.FindEntry("Gamma")->controlsAccepted, 3u);
    EXPECT_EQ(list.FindEntry("Alpha")->currentState, sc::kRunning);
}

TEST_F(ServiceListTest, EntriesStayAtTheirAddressesUntilTheNextEnumeration) {
    ASSERT_TRUE(list.Enumerate());
    ServiceEntry* alpha = list.FindEntry("Alpha");
    const char* name = alpha->name;
    list.RefreshAllStatus();
    list.Stop("Alpha");
    EXPECT_EQ(list.FindEntry("Alpha"), alpha);
    EXPECT_EQ(alpha->name, name);
    EXPECT_EQ(alpha->currentState, sc::kStopped);
}

}  // namespace

// The handle of a service is closed after a call on it is refused, and a
// close may set an error of its own: the reason given is the refused call's.
TEST_F(ServiceListTest, ARefusedCallOnAServiceGivesItsOwnReasonNotTheClosesOne) {
    fake::FaultPlan plan;
    fake::FaultyScm faulty(scm, plan);
    ServiceList writer{faulty};
    ASSERT_TRUE(writer.Enumerate());
    // Each call below is an open, the call itself and a close.
    const std::vector<std::function<bool()>> calls{
        [&] {
            return writer.ChangeConfig("Alpha", sc::kNoChange, sc::kNoChange, sc::kNoChange,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                       "Shown");
        },
        [&] { return writer.ChangeDescription("Alpha", "Described"); },
        [&] { return writer.Start("beta"); },
        [&] { return writer.Control("Alpha", sc::kControlStop); },
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        scm.lastError = 0;
        plan.Arm(2, fake::fault::kAccessDenied);
        EXPECT_FALSE(calls[i]()) << i;
        EXPECT_TRUE(plan.Fired()) << i;
        EXPECT_EQ(std::string(writer.GetErrorText()), scm.FormatMessageA(5)) << i;
    }
    // A platform that fails without saying why gives no reason, not the
    // system's words for success.
    scm.Fail(fake::Call::StartService, 0, "beta", 1);
    EXPECT_FALSE(writer.Start("beta"));
    EXPECT_EQ(std::string(writer.GetErrorText()), "");
}
