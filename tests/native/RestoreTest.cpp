// Restoring services to a snapshot's states over the in-memory platform:
// the decisions on a selected row, the split of the rows, and the passes,
// with services that refuse, fail once, or are still pending.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "document/ChangeList.h"
#include "document/Restore.h"
#include "document/RestoreJob.h"
#include "scm/PendingWait.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

// The window's rows: records kept by name, rows by name in list order.
class Rows : public RestoreRows {
public:
    void Add(const char* name, ChangeKind kind, uint32_t snapshotState, uint32_t nowState) {
        ServiceChange change{const_cast<char*>(name),
                             const_cast<char*>(name),
                             kind,
                             snapshotState,
                             nowState,
                             nullptr};
        records.Add(change, platform::LocalDateTime{});
        names.push_back(name);
    }
    const PendingChange* RecordOf(const std::string& name) const override {
        int index = records.IndexOf(name);
        return index < 0 ? nullptr : &records.At(static_cast<size_t>(index));
    }
    void RemoveRow(const std::string& name) override {
        names.erase(std::find(names.begin(), names.end(), name));
    }
    void NoteRefusal(const std::string& name, const std::string& reason) override {
        refusals[name] = reason;
    }

    PendingChanges records;
    std::vector<std::string> names;
    std::map<std::string, std::string> refusals;
};

// Deletes the service named `victim` the first time the program waits, as
// another program may while a command is under way.
struct DeletingClock : fake::Clock {
    void Sleep(uint32_t milliseconds) override {
        fake::Clock::Sleep(milliseconds);
        if (victim.empty()) return;
        scm->Remove(victim);
        victim.clear();
    }
    fake::Scm* scm = nullptr;
    std::string victim;
};

class RestoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.scm = &scm;
        scm.Add("Web", "Web server", sc::kRunning);
        scm.Add("Mail", "Mail server", sc::kPaused);
        scm.Add("Print", "Printing", sc::kStopped);
        scm.Add("Disk", "Disk", sc::kRunning);
        ASSERT_TRUE(document.LoadServices());
    }
    uint32_t State(const char* name) { return scm.Get(name)->status.currentState; }
    int Calls(const std::string& call) {
        return static_cast<int>(std::count(scm.log.begin(), scm.log.end(), call));
    }

    fake::Scm scm;
    fake::Registry registry;
    fake::Texts texts;
    DeletingClock clock;
    ServicesDocument document{scm, registry, texts, clock};
    Rows rows;
};

TEST(RestoreDecisionTest, ASelectedRowIsJudgedByItsRecordedStatesAlone) {
    Rows rows;
    rows.Add("New", NewService, 0, sc::kRunning);
    rows.Add("Same", StateChanged, sc::kRunning, sc::kContinuePending);
    rows.Add("Back", StateChanged, sc::kStopPending, sc::kRunning);
    EXPECT_EQ(DecideSelected(rows.RecordOf("New")).verdict, SelectedRestore::kNewOrDeleted);
    EXPECT_EQ(DecideSelected(rows.RecordOf("Same")).verdict, SelectedRestore::kSameState);
    SelectedRestore back = DecideSelected(rows.RecordOf("Back"));
    EXPECT_EQ(back.verdict, SelectedRestore::kAsk);
    EXPECT_EQ(back.from, sc::kRunning);
    EXPECT_EQ(back.target, sc::kStopped);
    EXPECT_EQ(DecideSelected(nullptr).verdict, SelectedRestore::kNothing);

    rows.Add("Gone", DeletedService, sc::kRunning, 0);
    rows.names.push_back("");
    rows.names.push_back("Unrecorded");
    RestoreSplit split = SplitForRestore(rows.names, rows);
    EXPECT_EQ(split.restorable, (std::vector<std::string>{"Same", "Back"}));
    EXPECT_EQ(split.notRestorable, (std::vector<std::string>{"New", "Gone", "Unrecorded"}));
}

// Mail was running in the snapshot and is paused: it is continued, not
// started. Disk was start-pending and runs: nothing to do.
TEST_F(RestoreTest, EachServiceGetsTheCommandOfItsTargetAndOnlyWhenItNeedsOne) {
    rows.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    rows.Add("Mail", StateChanged, sc::kRunning, sc::kPaused);
    rows.Add("Print", StateChanged, sc::kPaused, sc::kStopped);
    rows.Add("Disk", StateChanged, sc::kStartPending, sc::kRunning);
    std::vector<std::string> names = rows.names;
    EXPECT_FALSE(RestorePasses(&document, &names, rows)) << "a stopped service cannot be paused";
    EXPECT_EQ(names, (std::vector<std::string>{"Print"}));
    EXPECT_EQ(rows.names, (std::vector<std::string>{"Print"}));
    EXPECT_EQ(State("Web"), sc::kStopped);
    EXPECT_EQ(State("Mail"), sc::kRunning);
    EXPECT_EQ(Calls("StartServiceA Mail"), 0);
    EXPECT_EQ(Calls("StartServiceA Disk"), 0);
    EXPECT_EQ(Calls("ControlService Disk 1"), 0);
    EXPECT_NE(rows.RecordOf("Web"), nullptr) << "a restored row keeps its record";
}

// Web's stop fails once; Mail's success after it starts the walk again, and
// Web's second try in the same pass succeeds. A service that never stops
// stays, and the passes end when one restores nothing.
TEST_F(RestoreTest, AFailureIsRetriedAfterALaterSuccessAndARefusalEndsThePasses) {
    scm.Fail(fake::Call::ControlService, 1052, "Web", 1);
    rows.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    rows.Add("Mail", StateChanged, sc::kRunning, sc::kPaused);
    std::vector<std::string> names = rows.names;
    ASSERT_TRUE(RestorePass(&document, &names, rows));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(State("Web"), sc::kStopped);

    scm.Fail(fake::Call::ControlService, 1052, "Disk");
    Rows stuck;
    stuck.Add("Disk", StateChanged, sc::kStopped, sc::kRunning);
    names = stuck.names;
    EXPECT_FALSE(RestorePasses(&document, &names, stuck));
    EXPECT_EQ(names, (std::vector<std::string>{"Disk"}));
    EXPECT_EQ(Calls("ControlService Disk"), 1) << "one pass that removed nothing";
    EXPECT_FALSE(document.lastErrorText.empty());

    EXPECT_FALSE(RestorePass(nullptr, &names, stuck));
}

// A service still pending when the pass comes counts by where it is
// heading; one that settles only after the command is waited for, and a
// service that never settles holds the pass no longer than the bound.
TEST_F(RestoreTest, PendingServicesAreTakenByTheirSettledStateAndWaitedForWithinTheBound) {
    scm.Get("Print")->status.currentState = sc::kStartPending;
    scm.Get("Web")->pendingPolls = 3;
    scm.Get("Disk")->pendingPolls = -1;
    rows.Add("Print", StateChanged, sc::kRunning, sc::kStopped);
    rows.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    rows.Add("Disk", StateChanged, sc::kStopped, sc::kRunning);
    std::vector<std::string> names = rows.names;
    uint32_t start = clock.GetTickCount();
    RestorePasses(&document, &names, rows);
    EXPECT_EQ(Calls("StartServiceA Print"), 0) << "already on its way to running";
    EXPECT_EQ(State("Web"), sc::kStopped);
    EXPECT_LE(clock.GetTickCount() - start, 3 * 30000u + 1000u);
}

// A service that never settles holds its pass for one bound, not two. One
// deleted from outside while its command waits is not counted as restored:
// its row stays and the platform's reason is noted for the summary.
TEST_F(RestoreTest, OneBoundPerServiceAndAServiceDeletedMeanwhileIsNotRestored) {
    scm.Get("Disk")->pendingPolls = -1;
    rows.Add("Disk", StateChanged, sc::kStopped, sc::kRunning);
    std::vector<std::string> names = rows.names;
    uint32_t start = clock.GetTickCount();
    ASSERT_TRUE(RestorePass(&document, &names, rows));
    EXPECT_LE(clock.GetTickCount() - start, kPendingWaitLimitMs + 500);
    EXPECT_TRUE(names.empty()) << "on its way to its recorded state";

    scm.Get("Web")->pendingPolls = 3;
    clock.victim = "Web";
    Rows gone;
    gone.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    names = gone.names;
    EXPECT_FALSE(RestorePasses(&document, &names, gone));
    EXPECT_EQ(names, std::vector<std::string>{"Web"});
    EXPECT_EQ(gone.names, std::vector<std::string>{"Web"}) << "its row stays";
    EXPECT_NE(gone.refusals["Web"], "");
}

}  // namespace

// Restoring on a thread of its own: the window's rows go as the job hands
// them back, and a stop ends the passes after the command under way, with
// the rest left and said.
TEST_F(RestoreTest, AJobHandsBackWhatItRestoredAndAStopLeavesTheRest) {
    rows.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    rows.Add("Mail", StateChanged, sc::kRunning, sc::kPaused);
    rows.Add("Disk", StateChanged, sc::kStopped, sc::kRunning);
    scm.Fail(fake::Call::ControlService, 5, "Disk");
    RestoreJob all(rows.names, rows);
    rows.records.Clear();  // the window may let its records go meanwhile
    all.Run(&document);
    EXPECT_FALSE(all.AllRestored());
    EXPECT_EQ(all.TakeRestored(), (std::vector<std::string>{"Web", "Mail"}));
    EXPECT_TRUE(all.TakeRestored().empty()) << "each handed back once";
    EXPECT_EQ(all.Left(), (std::vector<std::string>{"Disk"}));
    EXPECT_EQ(all.Refusals().count("Disk"), 1u);
    EXPECT_EQ(State("Web"), sc::kStopped);

    // Stopped after the first service: the second is not touched.
    scm.ClearFailures();
    for (const char* name : {"Web", "Disk"}) {
        scm.Get(name)->status.currentState = sc::kRunning;
        scm.Get(name)->status.controlsAccepted = scm.Get(name)->accepts;
    }
    rows.Add("Web", StateChanged, sc::kStopped, sc::kRunning);
    rows.Add("Disk", StateChanged, sc::kStopped, sc::kRunning);
    // The user's Esc as the first service is done.
    struct StopAfterFirst : RestoreJob {
        using RestoreJob::RestoreJob;
        void RemoveRow(const std::string& name) override {
            RestoreJob::RemoveRow(name);
            Stop();
        }
    };
    StopAfterFirst stopped({"Web", "Disk"}, rows);
    stopped.Run(&document);
    EXPECT_FALSE(stopped.AllRestored());
    EXPECT_EQ(stopped.TakeRestored(), (std::vector<std::string>{"Web"}));
    EXPECT_EQ(stopped.Left(), (std::vector<std::string>{"Disk"}));
    EXPECT_EQ(State("Disk"), sc::kRunning) << "nothing started after the stop";
}
