// The monitor pass against in-memory platforms: what is shown, alerted and
// logged for each change, the enforcement of the marked services, no change
// lost between two passes, and a long run with the machine changing between
// any two platform calls.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "document/PendingChanges.h"
#include "document/ServicesDocument.h"
#include "monitor/MonitorCycle.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

const char* kLog = "C:\\logs\\Vantorel.log";

struct Reported {
    std::string name;
    int32_t kind;
    uint32_t oldState, newState;
};

class RecordingDisplay : public ChangeDisplay {
public:
    int alerts = 0;
    AlertSettings settings;
    std::vector<Reported> shown;
    PendingChanges pending;  // as the window keeps them

    void Alert(const AlertSettings& s) override {
        ++alerts;
        settings = s;
    }
    void Show(const ServiceChange& c, const platform::LocalDateTime& when) override {
        shown.push_back({c.name, c.kind, c.oldState, c.newState});
        pending.Add(c, when);
    }
};

// The fake service control manager, with a hook after every call that can
// change the machine between any two of them.
class HookedScm : public platform::ScmApi {
public:
    explicit HookedScm(fake::Scm& inner) : s_(inner) {}
    std::function<void(const char* call, bool filled)> after;

    platform::ScHandle OpenSCManagerA(const char* m, const char* d, uint32_t a) override {
        return Done("open manager", s_.OpenSCManagerA(m, d, a));
    }
    bool EnumServicesStatusA(platform::ScHandle m, uint32_t t, uint32_t st, void* b, uint32_t n,
                             uint32_t* need, uint32_t* ret, uint32_t* resume) override {
        bool ok = s_.EnumServicesStatusA(m, t, st, b, n, need, ret, resume);
        if (after) after("enumerate", ok && b != nullptr);
        return ok;
    }
    platform::ScHandle OpenServiceA(platform::ScHandle m, const char* n, uint32_t a) override {
        return Done("open service", s_.OpenServiceA(m, n, a));
    }
    bool QueryServiceStatus(platform::ScHandle h, platform::ServiceStatus* st) override {
        return Done("status", s_.QueryServiceStatus(h, st));
    }
    bool QueryServiceConfigA(platform::ScHandle h, void* b, uint32_t n, uint32_t* need) override {
        return Done("config", s_.QueryServiceConfigA(h, b, n, need));
    }
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t l, void* b, uint32_t n,
                              uint32_t* need) override {
        return Done("config2", s_.QueryServiceConfig2A(h, l, b, n, need));
    }
    bool ChangeServiceConfigA(platform::ScHandle h, uint32_t t, uint32_t s, uint32_t e,
                              const char* b, const char* g, uint32_t* tag, const char* d,
                              const char* a, const char* p, const char* n) override {
        return Done("change", s_.ChangeServiceConfigA(h, t, s, e, b, g, tag, d, a, p, n));
    }
    bool ChangeServiceConfig2A(platform::ScHandle h, uint32_t l, void* i) override {
        return Done("change2", s_.ChangeServiceConfig2A(h, l, i));
    }
    bool StartServiceA(platform::ScHandle h, uint32_t n, const char** a) override {
        return Done("start", s_.StartServiceA(h, n, a));
    }
    bool ControlService(platform::ScHandle h, uint32_t c, platform::ServiceStatus* st) override {
        return Done("control", s_.ControlService(h, c, st));
    }
    bool CloseServiceHandle(platform::ScHandle h) override {
        return Done("close", s_.CloseServiceHandle(h));
    }
    uint32_t GetLastError() override { return s_.GetLastError(); }
    std::string FormatMessageA(uint32_t code) override { return s_.FormatMessageA(code); }
    int lstrcmpiA(const char* a, const char* b) override { return s_.lstrcmpiA(a, b); }

private:
    template <typename T>
    T Done(const char* call, T result) {
        if (after) after(call, false);
        return result;
    }
    fake::Scm& s_;
};

class MonitorCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Web", "Web server", sc::kRunning);
        scm.Add("Mail", "Mail server", sc::kStopped);
        scm.Add("Print", "Printing", sc::kRunning);
        ASSERT_TRUE(log.Open(kLog, false));
        ASSERT_EQ(doc.NewDocument(), ServicesDocument::kNewLoaded);
    }
    // A test's hook reaches into the test's own variables: it must not run
    // when the document lets its lists go afterwards.
    void TearDown() override { hooked.after = nullptr; }
    void Action(const std::string& service, const char* name, uint32_t value) {
        registry.PutDword(std::string(settings::kRootPath) + "\\CustomActions\\" + service, name,
                          value);
    }
    void Configure(const char* name, uint32_t value) {
        registry.PutDword(std::string(settings::kRootPath) + "\\Configuration", name, value);
    }
    void SetState(const char* name, uint32_t state) {
        fake::Service* s = scm.Get(name);
        s->status.currentState = state;
        s->status.controlsAccepted = state == sc::kStopped ? 0 : s->accepts;
    }
    // The change records of the log: "kind|old|new|name".
    std::vector<std::string> Logged() {
        std::vector<std::string> records;
        std::string text = files.Get(kLog);
        for (size_t at = text.find("\n*"); at != std::string::npos; at = text.find("\n*", at + 1)) {
            size_t bar = text.find('|', at), end = text.find('\r', at);
            records.push_back(text.substr(bar + 1, end - bar - 1));
        }
        return records;
    }
    int Syncs() { return files.files[kLog].syncs; }

    fake::Scm scm;
    HookedScm hooked{scm};
    fake::Registry registry;
    fake::Texts texts;
    fake::Clock clock;
    fake::FileSystem files;
    fake::LocaleTime time;
    HistoryLog log{files, time, texts};
    ServicesDocument doc{hooked, registry, texts, clock};
    RecordingDisplay display;
    MonitorCycle cycle{doc, registry, time, log, display};
};

TEST_F(MonitorCycleTest, ChangesAreShownAndLoggedWithOneAlertAndOneSyncPerPass) {
    cycle.Tick();
    EXPECT_EQ(display.alerts, 0) << "nothing changed";
    int syncs = Syncs();
    // A pass with changes connects and disconnects as often as one without:
    // never more than one connection for each of the document's three lists.
    const int kLists = 3;
    SetState("Web", sc::kStopped);
    SetState("Mail", sc::kRunning);
    cycle.Tick();
    EXPECT_EQ(display.alerts, 1);
    ASSERT_EQ(display.shown.size(), 2u);
    EXPECT_EQ(Logged(), (std::vector<std::string>{"48|1|4|Mail", "48|4|1|Web"}));
    EXPECT_EQ(Syncs(), syncs + 1);
    EXPECT_LE(scm.OpenHandles(), kLists);
    // The defaults: an independent window brought to the front, no sound.
    EXPECT_TRUE(display.settings.independent && display.settings.bringToFront);
    EXPECT_FALSE(display.settings.beep);

    cycle.Tick();
    EXPECT_EQ(display.alerts, 1) << "the reference is what the last pass found";
    EXPECT_EQ(display.shown.size(), 2u);
    EXPECT_EQ(Syncs(), syncs + 1);
    EXPECT_LE(scm.OpenHandles(), kLists);

    Configure("MessageBeep", 1);
    Configure("IndependentWindow", 0);
    Configure("ShowServiceChanges", 0);
    scm.Remove("Print");
    // A log that can no longer be written loses its records, not the
    // window's.
    files.spaceLeft = 0;
    cycle.Tick();
    EXPECT_EQ(display.alerts, 2);
    EXPECT_TRUE(display.settings.beep);
    EXPECT_FALSE(display.settings.independent || display.settings.bringToFront);
    EXPECT_EQ(display.shown.back().kind, DeletedService);
    EXPECT_FALSE(log.GetErrorText().empty());
    EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(MonitorCycleTest, AServicesActionsDecideWhetherItsChangesAreShownOrLogged) {
    Action("Web", "DisableNotify", 1);
    Action("Mail", "DisableLOG", 1);
    SetState("Web", sc::kStopped);
    cycle.Tick();
    EXPECT_EQ(display.alerts, 0) << "only unshown changes: no alert";
    EXPECT_TRUE(display.shown.empty());
    EXPECT_EQ(Logged(), (std::vector<std::string>{"48|4|1|Web"}));

    SetState("Mail", sc::kRunning);
    SetState("Web", sc::kRunning);
    cycle.Tick();
    EXPECT_EQ(display.alerts, 1);
    ASSERT_EQ(display.shown.size(), 1u);
    EXPECT_EQ(display.shown[0].name, "Mail");
    EXPECT_EQ(Logged().back(), "48|1|4|Web");
    EXPECT_EQ(Logged().size(), 2u);

    // Its key may name it in another case beyond ASCII, which only the
    // registry knows to be the same name.
    scm.Add("\xD1and\xFA", "Rhea", sc::kRunning);
    Action("\xF1AND\xDA", "DisableNotify", 1);
    cycle.Tick();
    EXPECT_EQ(display.shown.size(), 1u) << "the new service is not shown";
    EXPECT_EQ(Logged().size(), 3u) << "but it is logged";
}

TEST_F(MonitorCycleTest, MarkedServicesAreKeptInTheirStateEvenWhenHiddenOrUnchanged) {
    scm.Add("Disk", "Disk driver", sc::kStopped).status.serviceType = sc::kTypeKernelDriver;
    ASSERT_TRUE(doc.LoadServices());  // drivers are not loaded
    Action("Web", "AlwaysStopped", 1);
    Action("Mail", "AlwaysRunning", 1);
    Action("Print", "AlwaysRunning", 1);
    Action("Print", "AlwaysStopped", 1);  // both: left alone
    Action("Disk", "AlwaysRunning", 1);
    Action("Gone", "AlwaysRunning", 1);  // no such service: silently nothing
    cycle.Tick();
    EXPECT_EQ(scm.Get("Web")->status.currentState, sc::kStopped);
    EXPECT_EQ(scm.Get("Mail")->status.currentState, sc::kRunning);
    EXPECT_EQ(scm.Get("Print")->status.currentState, sc::kRunning);
    EXPECT_EQ(scm.Get("Disk")->status.currentState, sc::kRunning);
    EXPECT_TRUE(display.shown.empty()) << "what the pass enforces shows up in a later pass";
    cycle.Tick();
    EXPECT_EQ(display.shown.size(), 2u);

    // A pass whose comparison cannot run still enforces.
    SetState("Mail", sc::kPaused);
    scm.Fail(fake::Call::EnumServicesStatus, 1722);
    cycle.Tick();
    EXPECT_EQ(scm.Get("Mail")->status.currentState, sc::kRunning);
    EXPECT_EQ(display.shown.size(), 2u);
}

// A change made just after a pass enumerated the services is the next
// pass's to report; re-reading the reference would have absorbed it.
TEST_F(MonitorCycleTest, AChangeBetweenTwoEnumerationsIsReportedByTheNextPass) {
    SetState("Mail", sc::kRunning);
    bool armed = true;
    hooked.after = [&](const char* call, bool filled) {
        if (armed && filled && std::string(call) == "enumerate") {
            armed = false;
            SetState("Web", sc::kStopped);
        }
    };
    cycle.Tick();
    ASSERT_EQ(display.shown.size(), 1u);
    EXPECT_EQ(display.shown[0].name, "Mail");
    cycle.Tick();
    ASSERT_EQ(display.shown.size(), 2u);
    EXPECT_EQ(display.shown[1].name, "Web");
    EXPECT_EQ(display.shown[1].oldState, sc::kRunning);
    EXPECT_EQ(display.shown[1].newState, sc::kStopped);
}

TEST(PendingChangesTest, OneEntryPerServiceTheLatestChangeWinningInFirstSeenOrder) {
    PendingChanges pending;
    char web[] = "Web", mail[] = "Mail", display[] = "D";
    ServiceChange stopped{web, display, StateChanged, 4, 1, nullptr};
    ServiceChange added{mail, display, NewService, 1, 4, nullptr};
    ServiceChange started{web, display, StateChanged, 1, 4, nullptr};
    EXPECT_EQ(pending.Add(stopped, {2026, 12, 8, 9, 0, 0}), 0u);
    pending.MarkShown(0);
    EXPECT_EQ(pending.Add(added, {2026, 12, 8, 9, 0, 1}), 1u);
    EXPECT_EQ(pending.Add(started, {2026, 12, 8, 9, 0, 2}), 0u);
    ASSERT_EQ(pending.Count(), 2u);
    EXPECT_EQ(pending.At(0).oldState, 1u);
    EXPECT_EQ(pending.At(0).newState, 4u);
    EXPECT_EQ(pending.At(0).detectedAt.second, 2);
    EXPECT_FALSE(pending.At(0).shown) << "its row must show the new change";
    EXPECT_EQ(pending.IndexOf("web"), -1) << "names are compared exactly";
    pending.Clear();
    EXPECT_EQ(pending.Count(), 0u);
    EXPECT_EQ(pending.IndexOf("Web"), -1);
}

// What the user is told about each service must add up to what happened:
// each change's old state is the previous change's new one, and the last
// one is where the service is. Nothing is told twice or lost.
class ServiceStory {
public:
    void Start(const std::string& name, uint32_t state) { states_[name] = state; }
    void Apply(const Reported& r) {
        auto it = states_.find(r.name);
        if (r.kind == NewService) {
            EXPECT_EQ(it, states_.end()) << r.name << " new while it existed";
            states_[r.name] = r.newState;
        } else if (r.kind == DeletedService) {
            ASSERT_NE(it, states_.end()) << r.name << " deleted while it did not exist";
            states_.erase(it);
        } else {
            ASSERT_NE(it, states_.end()) << r.name << " changed while it did not exist";
            EXPECT_EQ(it->second, r.oldState) << r.name << " changed from a state it was not in";
            it->second = r.newState;
        }
    }
    const std::map<std::string, uint32_t>& States() const { return states_; }

private:
    std::map<std::string, uint32_t> states_;
};

TEST_F(MonitorCycleTest, ALongRunWithTheMachineChangingBetweenAnyTwoCallsLosesNothing) {
    for (const char* name : {"Web", "Mail", "Print"}) scm.Remove(name);
    std::mt19937 random(20261208);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    std::vector<std::string> names;
    std::map<std::string, bool> quietShow, quietLog;  // services whose changes are not told
    for (int i = 0; i < 24; ++i) {
        std::string name = "S" + std::to_string(i);
        names.push_back(name);
        fake::Service& s = scm.Add(name, name, chance(50) ? sc::kRunning : sc::kStopped);
        if (i >= 20) s.status.serviceType = sc::kTypeKernelDriver;  // hidden by the filters
        if (i % 7 == 3) Action(name, "DisableNotify", 1), quietShow[name] = true;
        if (i % 5 == 2) Action(name, "DisableLOG", 1), quietLog[name] = true;
    }
    ASSERT_TRUE(doc.LoadServices());
    ServiceStory shown, logged;
    for (uint32_t i = 0; i < doc.currentList.GetCount(); ++i) {
        const ServiceEntry* e = doc.currentList.EntryAt(i);
        shown.Start(e->name, e->currentState);
        logged.Start(e->name, e->currentState);
    }

    int added = 0;
    bool changing = true;
    hooked.after = [&](const char*, bool) {
        if (!changing || !chance(4)) return;
        const std::string& name = names[random() % names.size()];
        switch (random() % 6) {
            case 0:
            case 1:
                if (fake::Service* s = scm.Get(name))
                    SetState(name.c_str(),
                             s->status.currentState == sc::kStopped ? sc::kRunning : sc::kStopped);
                break;
            case 2:
                if (fake::Service* s = scm.Get(name)) s->displayName += "+";
                break;
            case 3:
                if (name[0] == 'N')
                    scm.Remove(name);
                else if (added < 40) {
                    std::string fresh = "N" + std::to_string(added++);
                    scm.Add(fresh, fresh, chance(50) ? sc::kRunning : sc::kStopped);
                    names.push_back(fresh);
                }
                break;
            default:
                Action(name, chance(50) ? "AlwaysRunning" : "AlwaysStopped", chance(60) ? 1 : 0);
                break;
        }
    };
    for (int tick = 0; tick < 3000; ++tick) cycle.Tick();
    // The machine settles: the enforcement converges and the last changes
    // are told.
    changing = false;
    for (int tick = 0; tick < 4; ++tick) cycle.Tick();

    size_t told = 0;
    for (const Reported& r : display.shown) {
        EXPECT_FALSE(quietShow.count(r.name)) << r.name << " is not to be shown";
        shown.Apply(r);
        ++told;
    }
    for (const std::string& record : Logged()) {
        Reported r{};
        char name[64] = "";
        ASSERT_EQ(
            std::sscanf(record.c_str(), "%d|%u|%u|%63s", &r.kind, &r.oldState, &r.newState, name),
            4)
            << record;
        r.name = name;
        EXPECT_FALSE(quietLog.count(r.name)) << r.name << " is not to be logged";
        logged.Apply(r);
    }
    EXPECT_GT(told, 300u) << "the run changed the machine often enough";
    // The story told ends where the service is: loaded (not hidden by the
    // filters) and in its state.
    auto endsWhereItIs = [](const ServiceStory& story, const std::string& name,
                            const fake::Service* s, bool visible) {
        auto at = story.States().find(name);
        EXPECT_EQ(at != story.States().end(), visible) << name;
        if (visible && at != story.States().end()) {
            EXPECT_EQ(at->second, s->status.currentState) << name;
        }
    };
    SettingsStore store(registry);
    for (const std::string& name : names) {
        const fake::Service* s = scm.Get(name);
        bool visible = s && s->status.serviceType != sc::kTypeKernelDriver;
        if (!quietShow.count(name)) endsWhereItIs(shown, name, s, visible);
        if (!quietLog.count(name)) endsWhereItIs(logged, name, s, visible);
        if (!s || !store.OpenActionsForReading(name)) continue;
        bool running = store.Read(settings::kAlwaysRunning) != 0;
        bool stopped = store.Read(settings::kAlwaysStopped) != 0;
        if (running && !stopped) {
            EXPECT_EQ(s->status.currentState, sc::kRunning) << name;
        }
        if (stopped && !running) {
            EXPECT_EQ(s->status.currentState, sc::kStopped) << name;
        }
    }
}

}  // namespace

// The window hands a pass's waits to a thread of its own: every platform
// call goes through that runner, and a program that ends while it waits
// stops the pass there, nothing shown, logged or enforced after.
TEST_F(MonitorCycleTest, ThePlatformIsAskedOnlyThroughTheRunnerAndAnEndedProgramStopsThePass) {
    Action("Mail", "AlwaysRunning", 1);
    SetState("Web", sc::kStopped);
    int runs = 0, callsOutside = 0;
    bool inRunner = false;
    hooked.after = [&](const char*, bool) { callsOutside += inRunner ? 0 : 1; };
    cycle.Tick([&](std::function<void()> work) {
        ++runs;
        inRunner = true;
        work();
        inRunner = false;
        return true;
    });
    EXPECT_EQ(runs, 2) << "the comparison, then the enforcement";
    EXPECT_EQ(callsOutside, 0);
    EXPECT_EQ(display.shown.size(), 1u);
    EXPECT_EQ(scm.Get("Mail")->status.currentState, sc::kRunning);

    SetState("Mail", sc::kStopped);
    SetState("Print", sc::kStopped);
    std::vector<std::string> logged = Logged();
    cycle.Tick([](std::function<void()>) { return false; });
    EXPECT_EQ(display.shown.size(), 1u);
    EXPECT_EQ(Logged(), logged);
    EXPECT_EQ(scm.Get("Mail")->status.currentState, sc::kStopped);
}
