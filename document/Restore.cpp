#include "document/Restore.h"

#include <algorithm>

#include "document/ChangeList.h"
#include "scm/PendingWait.h"

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
// True when the service is now in its recorded state.
bool RestoreOne(ServicesDocument& document, const PendingChange& record, platform::Clock& clock) {
    ServiceList& list = document.currentList;
    int found = list.IndexOf(record.name.c_str());
    if (found < 0) return false;
    auto index = static_cast<uint32_t>(found);
    list.RefreshStatusAt(index);
    const ServiceEntry& entry = *list.EntryAt(index);
    uint32_t target = SettledState(record.oldState);
    if (target == SettledState(entry.currentState)) return true;
    if (!RunRestoreCommand(document.commands, entry, target)) return false;
    // Bounded, and over as soon as the status can no longer be read.
    WaitWhilePending(list, index, clock);
    return true;
}
}  // namespace

bool RestorePass(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows,
                 platform::Clock& clock) {
    if (document == nullptr) return false;
    for (size_t i = 0; i < names->size();) {
        const std::string name = (*names)[i];
        const PendingChange* record = rows.RecordOf(name);
        if (record == nullptr || !RestoreOne(*document, *record, clock)) {
            ++i;
            continue;
        }
        names->erase(names->begin() + static_cast<std::ptrdiff_t>(i));
        rows.RemoveRow(name);
        i = 0;
    }
    return true;
}

bool RestorePasses(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows,
                   platform::Clock& clock) {
    while (!names->empty()) {
        size_t before = names->size();
        if (!RestorePass(document, names, rows, clock) || names->size() == before) return false;
    }
    return true;
}
