// What each operation costs in calls to the service control manager: on a
// remote machine every call is a network round trip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/ServicesDocument.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"
#include "tests/fakes/MeteredScm.h"

namespace sc = platform::scm;

namespace {

class RoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 300; ++i)
            scm.Add("Svc" + std::to_string(1000 + i), "Service " + std::to_string(i),
                    i % 3 == 0 ? sc::kRunning : sc::kStopped);
    }
    // Calls that go to the machine; closing a handle is one too.
    int Calls() const { return metered.Total(); }

    fake::Scm scm;
    fake::MeteredScm metered{scm};
    fake::Registry registry;
    fake::Texts texts;
    fake::Clock clock;
    ServicesDocument doc{metered, registry, texts, clock};
};

TEST_F(RoundTripTest, OpeningAMachineCostsOneEnumerationAndNothingPerService) {
    scm.AddMachine("far");
    ASSERT_TRUE(doc.OpenDocument("far"));
    // Connect, size, fill: the reference is the same answer, not a second one.
    EXPECT_EQ(Calls(), 3) << "OpenService " << metered.Count("OpenServiceA");
    EXPECT_EQ(metered.Count("EnumServicesStatusA"), 2);
    EXPECT_TRUE(doc.referenceValid);
    ASSERT_EQ(doc.referenceList.GetCount(), 300u);
    EXPECT_STREQ(doc.referenceList.EntryAt(299)->name, "Svc1299");
    EXPECT_EQ(doc.referenceList.EntryAt(0)->currentState, sc::kRunning);
    EXPECT_STREQ(doc.referenceList.GetMachineName(), "far");

    // Nothing changed since: the reference agrees with a new look.
    ASSERT_TRUE(doc.CompareWithReference());
    EXPECT_EQ(doc.GetChangeCount(), 0);
}

TEST_F(RoundTripTest, ARefreshOfEveryStateIsOneEnumerationWhateverTheOrderOrFilter) {
    ServiceList& list = doc.currentList;
    list.inactive = 0;  // only the running ones are listed
    ASSERT_TRUE(list.Enumerate());
    ASSERT_EQ(list.GetCount(), 100u);
    scm.Get("Svc1000")->status.currentState = sc::kStopped;  // leaves the filter's set
    scm.Get("Svc1003")->status.currentState = sc::kPaused;
    scm.Remove("Svc1006");  // deleted: keeps what it had
    scm.Add("Aaa", "Now first in the enumeration", sc::kRunning);
    metered.Reset();

    EXPECT_EQ(list.RefreshAllStatus(), 99u);
    EXPECT_EQ(Calls(), 2);
    EXPECT_EQ(list.PeekEntry("Svc1000")->currentState, sc::kStopped);
    EXPECT_EQ(list.PeekEntry("Svc1003")->currentState, sc::kPaused);
    EXPECT_EQ(list.PeekEntry("Svc1006")->currentState, sc::kRunning);
    EXPECT_EQ(list.PeekEntry("Aaa"), nullptr) << "entries stay as enumerated";
    EXPECT_EQ(list.GetCount(), 100u);

    // A machine that went away leaves every state as it was, and says so.
    scm.Fail(fake::Call::EnumServicesStatus, 1722);
    EXPECT_EQ(list.RefreshAllStatus(), 0u);
    EXPECT_NE(list.GetErrorCode(), kErrNone);
    EXPECT_EQ(list.PeekEntry("Svc1003")->currentState, sc::kPaused);
}

TEST_F(RoundTripTest, ATickChoosesPerRowQueriesOnlyWhereTheyCostLess) {
    ServiceList& local = doc.currentList;
    ASSERT_TRUE(local.Enumerate());
    scm.Get("Svc1001")->status.currentState = sc::kRunning;
    scm.Get("Svc1030")->status.currentState = sc::kRunning;

    // Two rows of 300 here: two queries (open, query, close each).
    metered.Reset();
    std::vector<uint32_t> read = local.RefreshStatuses({1, 2});
    EXPECT_EQ(read, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(Calls(), 6);
    EXPECT_EQ(local.EntryAt(1)->currentState, sc::kRunning);

    // A page of 40 rows: one enumeration is cheaper.
    std::vector<uint32_t> page;
    for (uint32_t i = 0; i < 40; ++i) page.push_back(i);
    metered.Reset();
    EXPECT_EQ(local.RefreshStatuses(page), page);
    EXPECT_EQ(Calls(), 2);
    EXPECT_EQ(local.EntryAt(30)->currentState, sc::kRunning);

    // A remote machine: every call a round trip, so one enumeration for a
    // single row too.
    scm.AddMachine("far");
    ServiceList remote(metered);
    remote.SetMachineName("far");
    ASSERT_TRUE(remote.Enumerate());
    metered.Reset();
    EXPECT_EQ(remote.RefreshStatuses({5}), (std::vector<uint32_t>{5}));
    EXPECT_EQ(Calls(), 2);
    metered.Reset();
    EXPECT_TRUE(remote.RefreshStatuses({}).empty());
    EXPECT_EQ(Calls(), 0);
}

TEST_F(RoundTripTest, AMonitorPassIsOneEnumerationAndAnUnreachableMachineFailsWithItsError) {
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    metered.Reset();
    ASSERT_TRUE(doc.CompareWithReference());
    // Connect, size, fill; the former reference's connection is closed.
    EXPECT_EQ(metered.Count("OpenSCManagerA"), 1);
    EXPECT_EQ(metered.Count("EnumServicesStatusA"), 2);
    EXPECT_EQ(metered.Count("OpenServiceA"), 0);

    std::vector<uint32_t> waited;
    metered.wait = [&](uint32_t ms) { waited.push_back(ms); };
    metered.MakeUnreachable(20000);
    scm.AddMachine("gone");
    EXPECT_FALSE(doc.OpenDocument("gone"));
    EXPECT_EQ(waited, (std::vector<uint32_t>{20000}));
    EXPECT_NE(doc.lastErrorText.find("1722"), std::string::npos) << doc.lastErrorText;
    metered.MakeReachable();
    EXPECT_TRUE(doc.OpenDocument("gone"));
}

}  // namespace
