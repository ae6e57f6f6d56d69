// The flows on the service control manager with each platform call failing
// in turn: opening a machine, the start-up load, the service commands with
// their waits, the monitor pass with its log and its enforcement, and the
// restore passes. None may claim a success it did not have, lose a change,
// or leave a handle open; each works again once the platform recovers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/PendingChanges.h"
#include "document/Restore.h"
#include "document/ServicesDocument.h"
#include "monitor/HistoryLog.h"
#include "monitor/MonitorCycle.h"
#include "scm/PendingWait.h"
#include "settings/SettingsStore.h"
#include "tests/native/FaultSweep.h"

namespace sc = platform::scm;

namespace {

struct Goal {
    const char* name;
    uint32_t from, to;
};

// Services that take two status queries to settle, so every command waits,
// handed out a few per enumeration call, so every list is read in parts.
void AddServices(fake::Scm& machine, const std::vector<Goal>& goals) {
    machine.enumByteLimit = 120;
    for (const Goal& goal : goals) {
        fake::Service& s = machine.Add(goal.name, std::string(goal.name) + " service", goal.from);
        s.status.controlsAccepted = goal.from == sc::kStopped ? 0 : s.accepts;
        s.pendingPolls = 2;
    }
    machine.AddMachine("srv");
}

const std::vector<Goal> kThree{
    {"Web", sc::kRunning, sc::kRunning},
    {"Mail", sc::kStopped, sc::kStopped},
    {"Print", sc::kPaused, sc::kPaused},
};

struct DocumentWorld : FaultWorld {
    explicit DocumentWorld(const std::vector<Goal>& goals) { AddServices(machine, goals); }
    uint32_t Settled(const char* name) {
        return SettledState(machine.Get(name)->status.currentState);
    }
    void Release() {
        doc.reset();
        CheckNothingLeftOpen();
    }
    std::unique_ptr<ServicesDocument> doc =
        std::make_unique<ServicesDocument>(scm, registry, texts, clock);
};

struct OpeningWorld : DocumentWorld {
    OpeningWorld() : DocumentWorld(kThree) {
        EXPECT_EQ(doc->NewDocument(), ServicesDocument::kNewLoaded);
    }
    bool Run() { return doc->OpenDocument("C:\\machines\\SRV"); }
    // A machine that cannot be opened leaves the document as it was.
    void Check(bool ok) {
        EXPECT_EQ(doc->title, ok ? "srv" : "localhost");
        EXPECT_EQ(doc->currentList.GetCount(), 3u);
        EXPECT_TRUE(doc->referenceValid);
        EXPECT_EQ(ok, doc->lastErrorText.empty()) << doc->lastErrorText;
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run()) << doc->lastErrorText;
        Check(true);
        Release();
    }
};

struct StartupWorld : DocumentWorld {
    StartupWorld() : DocumentWorld(kThree) {}
    bool Run() { return doc->NewDocument() != ServicesDocument::kNewFailed; }
    void Check(bool ok) {
        EXPECT_EQ(doc->currentList.GetCount(), ok ? 3u : 0u);
        EXPECT_EQ(doc->referenceValid, ok);
        if (!ok) {
            EXPECT_FALSE(doc->lastErrorText.empty());
        }
    }
    void CheckRecovered() {
        EXPECT_EQ(doc->NewDocument(), ServicesDocument::kNewLoaded) << doc->lastErrorText;
        Release();
    }
};

// A stop, a start, a continue, a pause and a restart.
const std::vector<Goal> kCommands{
    {"Web", sc::kRunning, sc::kStopped},  {"Mail", sc::kStopped, sc::kRunning},
    {"Print", sc::kPaused, sc::kRunning}, {"Spool", sc::kRunning, sc::kPaused},
    {"Disk", sc::kRunning, sc::kRunning},
};

struct CommandsWorld : DocumentWorld {
    CommandsWorld() : DocumentWorld(kCommands) { EXPECT_TRUE(doc->LoadServices()); }
    bool Command(size_t i) {
        ServiceCommands& c = doc->commands;
        const ServiceEntry& entry = *doc->currentList.FindEntry(kCommands[i].name);
        switch (i) {
            case 0:
                return c.StopService(entry);
            case 1:
                return c.StartOrContinue(entry);
            case 2:
                return c.ContinueService(entry);
            case 3:
                return c.PauseService(entry);
            default:
                return c.RestartService(entry);
        }
    }
    bool Run() {
        for (size_t i = 0; i < kCommands.size(); ++i) {
            if (!Command(i)) return false;
            // A command that succeeded brought its service there (or on its way).
            EXPECT_EQ(Settled(kCommands[i].name), kCommands[i].to) << kCommands[i].name;
            ++done;
        }
        return true;
    }
    void Check(bool ok) {
        EXPECT_EQ(ok, done == kCommands.size());
        if (!ok) {
            EXPECT_FALSE(doc->lastErrorText.empty());
        }
    }
    // The user loads the list again and gives what is left its command.
    void CheckRecovered() {
        ASSERT_TRUE(doc->LoadServices());
        for (const Goal& goal : kCommands) {
            WaitWhilePending(doc->currentList, goal.name, clock);
            const ServiceEntry& entry = *doc->currentList.FindEntry(goal.name);
            if (SettledState(entry.currentState) != goal.to) {
                EXPECT_TRUE(RunRestoreCommand(doc->commands, entry, goal.to)) << doc->lastErrorText;
            }
            EXPECT_EQ(Settled(goal.name), goal.to) << goal.name;
        }
        Release();
    }
    size_t done = 0;
};

const char* kLog = "C:\\logs\\Vantorel.log";

class CountingDisplay : public ChangeDisplay {
public:
    void Alert(const AlertSettings&) override {}
    void Show(const ServiceChange& c, const platform::LocalDateTime&) override { ++shown[c.name]; }
    std::map<std::string, int> shown;
};

// Phase A: Web stopped behind the program's back is shown and logged.
// Phase B: Mail, marked always running, is started.
struct MonitorWorld : DocumentWorld {
    MonitorWorld() : DocumentWorld(kThree) {
        store.PutDword(std::string(settings::kRootPath) + "\\CustomActions\\Mail", "AlwaysRunning",
                       1);
        EXPECT_TRUE(log.Open(kLog, false));
        EXPECT_EQ(doc->NewDocument(), ServicesDocument::kNewLoaded);
        machine.Get("Web")->status.currentState = sc::kStopped;
    }
    bool Run() {
        cycle.Tick();
        return true;
    }
    int Logged(const char* name) {
        std::string text = disk.Get(kLog);
        int count = 0;
        for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1))
            ++count;
        return count;
    }
    void Check(bool) {
        CheckRecordLines(disk.Get(kLog), false);
        // A record the log took without complaint is in the file.
        if (display.shown["Web"] && log.GetErrorText().empty()) {
            EXPECT_EQ(Logged("|Web"), 1);
        }
    }
    // The next pass finds what this one could not: the change is shown
    // once over both, and Mail runs.
    void CheckRecovered() {
        cycle.Tick();
        EXPECT_EQ(display.shown["Web"], 1);
        EXPECT_LE(Logged("|Web"), 1);
        EXPECT_EQ(Settled("Mail"), sc::kRunning);
        EXPECT_TRUE(log.Close());
        CheckRecordLines(disk.Get(kLog), true);
        Release();
    }
    HistoryLog log{files, time, texts};
    CountingDisplay display;
    MonitorCycle cycle{*doc, registry, time, log, display};
};

class Rows : public RestoreRows {
public:
    const PendingChange* RecordOf(const std::string& name) const override {
        int index = records.IndexOf(name);
        return index < 0 ? nullptr : &records.At(static_cast<size_t>(index));
    }
    void RemoveRow(const std::string& name) override { removed.push_back(name); }
    void NoteRefusal(const std::string& name, const std::string& reason) override {
        refusals[name] = reason;
    }
    PendingChanges records;
    std::vector<std::string> removed;
    std::map<std::string, std::string> refusals;
};

// The snapshot had Web stopped, Mail running and Print running.
const std::vector<Goal> kRestore{
    {"Web", sc::kRunning, sc::kStopped},
    {"Mail", sc::kStopped, sc::kRunning},
    {"Print", sc::kPaused, sc::kRunning},
};

struct RestoreWorld : DocumentWorld {
    RestoreWorld() : DocumentWorld(kRestore) {
        EXPECT_TRUE(doc->LoadServices());
        for (const Goal& goal : kRestore) {
            char* name = const_cast<char*>(goal.name);
            rows.records.Add({name, name, StateChanged, goal.to, goal.from, nullptr}, {});
            names.push_back(goal.name);
        }
    }
    bool Run() { return RestorePasses(doc.get(), &names, rows); }
    void Check(bool ok) {
        // A row that went was restored; one left says why.
        for (const std::string& name : rows.removed)
            EXPECT_EQ(Settled(name.c_str()), RecordOf(name).to) << name;
        EXPECT_EQ(ok, names.empty());
        for (const std::string& name : names) EXPECT_FALSE(rows.refusals[name].empty()) << name;
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run()) << doc->lastErrorText;
        for (const Goal& goal : kRestore) EXPECT_EQ(Settled(goal.name), goal.to) << goal.name;
        Release();
    }
    static const Goal& RecordOf(const std::string& name) {
        return *std::find_if(kRestore.begin(), kRestore.end(),
                             [&](const Goal& g) { return name == g.name; });
    }
    Rows rows;
    std::vector<std::string> names;
};

TEST(FaultsTest, OpeningAMachineAndTheStartupLoad) {
    EXPECT_GT(SweepFaults<OpeningWorld>("opening a machine"), 0);
    EXPECT_GT(SweepFaults<StartupWorld>("start-up load"), 0);
}

TEST(FaultsTest, ServiceCommandsWithTheirWaits) {
    EXPECT_GT(SweepFaults<CommandsWorld>("service commands"), 0);
}

TEST(FaultsTest, MonitorPassComparisonLogAndEnforcement) {
    EXPECT_GT(SweepFaults<MonitorWorld>("monitor pass"), 0);
}

TEST(FaultsTest, RestorePasses) {
    EXPECT_GT(SweepFaults<RestoreWorld>("restore passes"), 0);
}

}  // namespace
