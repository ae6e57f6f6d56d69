#include "document/Restore.h"

#include <algorithm>
#include <deque>
#include <iterator>

#include "document/ChangeList.h"

namespace sc = platform::scm;

uint32_t SettledState(uint32_t state) {
    switch (state) {
        case sc::kStartPending:
        case sc::kContinuePending:
            return sc::kRunning;
        case sc::kStopPending:
            return sc::kStopped;
        case sc::kPausePending:
            return sc::kPaused;
        default:
            return state;
    }
}

bool RunRestoreCommand(ServiceCommands& commands, const ServiceEntry& entry, uint32_t target) {
    switch (target) {
        case sc::kStopped:
            return commands.StopService(entry);
        case sc::kRunning:
            return commands.StartOrContinue(entry);
        case sc::kPaused:
            return commands.PauseService(entry);
        default:
            return false;
    }
}

namespace {
bool NewOrDeleted(const PendingChange& record) {
    return record.kind == NewService || record.kind == DeletedService;
}
}  // namespace

// The recorded states decide; the service's live state is not read here.
SelectedRestore DecideSelected(const PendingChange* record) {
    SelectedRestore decision;
    if (record == nullptr || record->name.empty()) return decision;
    if (NewOrDeleted(*record)) {
        decision.verdict = SelectedRestore::kNewOrDeleted;
        return decision;
    }
    decision.target = SettledState(record->oldState);
    decision.from = SettledState(record->newState);
    decision.verdict =
        decision.target == decision.from ? SelectedRestore::kSameState : SelectedRestore::kAsk;
    return decision;
}

RestoreSplit SplitForRestore(const std::vector<std::string>& rowNames, const RestoreRows& rows) {
    RestoreSplit split;
    for (const std::string& name : rowNames) {
        if (name.empty()) continue;
        const PendingChange* record = rows.RecordOf(name);
        (record && !NewOrDeleted(*record) ? split.restorable : split.notRestorable).push_back(name);
    }
    return split;
}

namespace {
// True when the service is now in its recorded state (or heading for it
// when its command's wait ran out).
bool RestoreOne(ServicesDocument& document, const PendingChange& record, RestoreRows& rows) {
    ServiceList& list = document.currentList;
    int found = list.IndexOf(record.name.c_str());
    if (found < 0) return false;
    ServiceEntry& entry = *list.GetEntry(static_cast<uint32_t>(found));
    // Read with its reason: the platform's refusal is what the summary says.
    auto readStatus = [&] {
        if (list.QueryStatus(record.name.c_str(), StatusOf(&entry))) return true;
        rows.NoteRefusal(record.name, list.GetErrorText());
        return false;
    };
    if (!readStatus()) return false;
    uint32_t target = SettledState(record.oldState);
    if (target == SettledState(entry.currentState)) return true;
    // The command waits while the service is pending, within its bound.
    if (!RunRestoreCommand(document.commands, entry, target)) {
        rows.NoteRefusal(record.name, list.GetErrorText());
        return false;
    }
    // A service deleted meanwhile is not restored, whatever the command said.
    return readStatus() && target == SettledState(entry.currentState);
}
}  // namespace

// The names not yet done are kept as those tried and left, then those not
// yet tried: a name done leaves without moving the others, so a pass over
// thousands of services costs no more per service than over a few.
bool RestorePass(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows) {
    if (document == nullptr) return false;
    auto done = [&](const std::string& name) {
        const PendingChange* record = rows.RecordOf(name);
        if (record == nullptr || !RestoreOne(*document, *record, rows)) return false;
        rows.RemoveRow(name);
        return true;
    };
    std::vector<std::string> left;
    std::deque<std::string> untried(names->begin(), names->end());
    bool again = false;  // something was done: those left before are tried again
    while (!rows.Stopped()) {
        if (again) {
            again = false;
            for (size_t i = 0; i < left.size() && !rows.Stopped(); ++i) {
                if (!done(left[i])) continue;
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
                again = true;
                break;
            }
            continue;
        }
        if (untried.empty()) break;
        std::string name = std::move(untried.front());
        untried.pop_front();
        if (done(name))
            again = true;
        else
            left.push_back(std::move(name));
    }
    left.insert(left.end(), std::make_move_iterator(untried.begin()),
                std::make_move_iterator(untried.end()));
    names->swap(left);
    return true;
}

bool RestorePasses(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows) {
    while (!names->empty() && !rows.Stopped()) {
        size_t before = names->size();
        if (!RestorePass(document, names, rows) || names->size() == before) return false;
    }
    return names->empty();
}
