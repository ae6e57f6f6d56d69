#pragma once
// Bringing services back to the states of a snapshot, decided without a
// window: which rows can be restored, what a selected row needs, and the
// passes over the names that bring each service to its recorded state.
#include <cstdint>
#include <string>
#include <vector>

#include "document/PendingChanges.h"
#include "document/ServicesDocument.h"

// The state a service is heading for: a pending state counts as the one it
// ends in.
uint32_t SettledState(uint32_t state);

// Runs the command that brings the entry to `target` (stopped, running or
// paused); false when the target has none or the command failed (with the
// document's message).
bool RunRestoreCommand(ServiceCommands& commands, const ServiceEntry& entry, uint32_t target);

// The rows of the restore window, as the passes see them.
class RestoreRows {
public:
    virtual ~RestoreRows() = default;
    // The record of a name, compared exactly; null for none.
    virtual const PendingChange* RecordOf(const std::string& name) const = 0;
    // The row whose name is this one goes; its record stays.
    virtual void RemoveRow(const std::string& name) = 0;
    // Why the service of that name is not restored: the platform's reason
    // for the last refusal.
    virtual void NoteRefusal(const std::string& name, const std::string& reason) = 0;
    // The user asked the passes to end: the command under way finishes,
    // no other starts.
    virtual bool Stopped() const { return false; }
};

// What a selected row needs before anything is asked.
struct SelectedRestore {
    enum Verdict { kNothing, kNewOrDeleted, kSameState, kAsk } verdict = kNothing;
    uint32_t from = 0;    // the settled state the service had at the comparison
    uint32_t target = 0;  // the settled state of the snapshot
};
SelectedRestore DecideSelected(const PendingChange* record);

// The rows' names split in list order; a row without a name is neither.
struct RestoreSplit {
    std::vector<std::string> restorable;
    std::vector<std::string> notRestorable;  // new, deleted, or without a record
};
RestoreSplit SplitForRestore(const std::vector<std::string>& rowNames, const RestoreRows& rows);

// One pass over `names`: each service not in its recorded state gets its
// command, whose own wait is the one bound per service; every name that is
// done (restored, or already so) leaves the names and its row, and the walk
// starts again from the first, so a name that failed before a later success
// is tried again. A service whose status can no longer be read is not done,
// and the reason is noted. False only without a document.
bool RestorePass(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows);

// Passes while each one restores something, until stopped. True when every
// name was restored; false with the names left in `names` (all of them, and
// no pass run, without a document).
bool RestorePasses(ServicesDocument* document, std::vector<std::string>* names, RestoreRows& rows);
