#pragma once
// The fault sweep of tests/native, at the level of the windows: a flow a
// user drives over a faulty decorator of the real platform runs once to
// count its calls, then once for each call and each error that call can
// return, the call failing; after each, the platform recovers and the flow
// must work again. Where a flow waits in a loop (a service's pending state
// polled until it settles), the number of its calls changes from run to
// run: such a flow fails each call site (each run of calls of one kind)
// once rather than each repetition.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "tests/fakes/FaultyPlatform.h"
#include "tests/fakes/NamedCallsScm.h"
#include "tests/native/FaultSweep.h"

namespace wintest {

// How long a window may take to answer while a flow works: a message box or
// a wait on a thread of its own answers at once.
const DWORD kAnswersWithinMs = 1000;

// A control's text; 0xFFFF is a message box's.
inline std::string ItemText(HWND window, int id = 0xFFFF) {
    char text[1024] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// The dialog (a message box) this thread shows over `owner`.
inline HWND Over(HWND owner) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
        if (GetWindow(box, GW_OWNER) == owner) return box;
    return nullptr;
}

inline std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += "[" + text + "]";
    return all;
}

// Over a FaultyScm: records the sites of the calls, or makes the first call
// of one site fail. A site is a run of calls of one kind, named by the kind
// and how many runs of that kind came before it.
class SiteScm : public fake::NamedCallsScm {
public:
    SiteScm(platform::ScmApi& faulty, fake::FaultPlan& plan) : NamedCallsScm(faulty), plan_(plan) {}

    // From now on the sites are recorded, and none fails.
    void Record() { Start(Site{}, 0, true); }
    // From now on none fails, and the recording stays.
    void Pass() { Start(Site{}, 0, false); }
    // From now on the first call of the recording's `site` fails with `error`.
    void Aim(size_t site, uint32_t error) { Start(recorded_.at(site), error, false); }
    size_t Sites() const { return recorded_.size(); }

private:
    struct Site {
        std::string kind;
        int run = -1;
    };
    void Start(const Site& target, uint32_t error, bool record) {
        std::lock_guard<std::mutex> hold(lock_);
        if (record) recorded_.clear();
        record_ = record;
        target_ = target;
        error_ = error;
        seen_.clear();
        last_.clear();
        // Passing keeps what the plan saw: a flow recovers within a run.
        if (record || target.run >= 0)
            plan_.Arm(0, 0);
        else
            plan_.Disarm();
    }
    // Before the call reaches the faulty layer: the plan is armed for it
    // when it is the first of the site aimed at.
    void Call(const char* kind) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (kind == last_) return;
        last_ = kind;
        Site site{kind, 0};
        for (const Site& before : seen_) site.run += before.kind == site.kind;
        seen_.push_back(site);
        if (record_) {
            recorded_.push_back(site);
        } else if (site.kind == target_.kind && site.run == target_.run) {
            plan_.Arm(1, error_);
        }
    }

    fake::FaultPlan& plan_;
    std::mutex lock_;
    std::vector<Site> recorded_, seen_;
    Site target_;
    uint32_t error_ = 0;
    bool record_ = false;
    std::string last_;
};

// One flow, swept over one interface.
struct WindowFlow {
    std::string name;
    // The interface as FaultKinds names it: its plan and its errors.
    std::string kind;
    fake::FaultPlan* plan = nullptr;
    // Sites instead of calls, for a flow with loops over the service
    // control manager.
    SiteScm* sites = nullptr;
    // Before each run, the platform sound: the state the flow starts from.
    std::function<void()> prepare;
    // The flow as the user drives it, calling `arm` at the moment the user
    // acts; whether it claimed success.
    std::function<bool(const std::function<void()>& arm)> run;
    // What the user saw after a run with `error`, or with none (0).
    std::function<void(bool ok, uint32_t error)> check;
    // Where the window a failure left open takes the same action again (OK
    // again, "Restaurar todos" again), the flow does so itself once it has
    // called `recover`, and its check sees that it worked: no fresh run.
    bool retriesInWindow = false;
    std::function<void()> recover;  // set by the sweep
};

// Returns the number of runs with a failing call, and prints it.
inline int SweepWindowFlow(WindowFlow& flow) {
    const FaultKind* kind = nullptr;
    for (const FaultKind& each : FaultKinds())
        if (flow.kind == each.name) kind = &each;
    if (kind == nullptr) {
        ADD_FAILURE() << "no such interface: " << flow.kind;
        return 0;
    }
    auto sound = [&] {
        if (flow.sites) flow.sites->Pass();
        flow.plan->Arm(0, 0);
    };
    flow.prepare();
    bool counted = flow.run([&] {
        if (flow.sites) flow.sites->Record();
        flow.plan->Arm(0, 0);
    });
    int targets = flow.sites ? static_cast<int>(flow.sites->Sites()) : flow.plan->Calls();
    // What runs between the flows (its preparation) fails nowhere.
    auto recover = [&] {
        if (flow.sites) flow.sites->Pass();
        flow.plan->Disarm();
    };
    recover();
    flow.recover = recover;
    EXPECT_TRUE(counted) << flow.name << " fails with nothing failing";
    flow.check(counted, 0);
    if (::testing::Test::HasFailure() || targets == 0) return 0;
    int runs = 0, repeated = 0;
    for (uint32_t error : kind->errors) {
        for (int k = 1; k <= targets; ++k) {
            SCOPED_TRACE(flow.name + ": " + kind->name + (flow.sites ? " site " : " call ") +
                         std::to_string(k) + " fails with " + std::to_string(error));
            flow.prepare();
            auto aim = [&] {
                if (flow.sites)
                    flow.sites->Aim(static_cast<size_t>(k - 1), error);
                else
                    flow.plan->Arm(k, error);
            };
            bool ok = flow.run(aim);
            // A wait polls as often as the service takes: a site after it
            // may not come in a run that polled less. That run failed
            // nowhere; it is run again, a few times at most.
            for (int again = 0; flow.sites && !flow.plan->Fired() && again < 3; ++again) {
                recover();
                ++repeated;
                flow.prepare();
                ok = flow.run(aim);
            }
            EXPECT_TRUE(flow.plan->Fired());
            recover();
            flow.check(ok, error);
            if (!flow.retriesInWindow) {
                flow.prepare();
                bool recovered = flow.run(sound);
                recover();
                EXPECT_TRUE(recovered) << "not again once the platform recovered";
                flow.check(recovered, 0);
            }
            ++runs;
            // One broken rule is enough to read; the rest would repeat it.
            if (::testing::Test::HasFailure()) return runs;
        }
    }
    std::cout << flow.name << ": " << runs << " runs, each with one failing call (" << targets
              << " " << kind->name << (flow.sites ? " call sites" : " calls") << ")";
    if (repeated > 0) std::cout << "; " << repeated << " run again to reach its call site";
    std::cout << "\n";
    return runs;
}

}  // namespace wintest
