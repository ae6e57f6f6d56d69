#include "document/PendingChanges.h"

#include "document/ChangeList.h"

size_t PendingChanges::Add(const ServiceChange& change, const platform::LocalDateTime& detectedAt) {
    std::string name = change.name ? change.name : "";
    auto found = byName_.find(name);
    size_t index = found != byName_.end() ? found->second : entries_.size();
    if (index == entries_.size()) {
        entries_.emplace_back();
        entries_.back().name = name;
        byName_.emplace(std::move(name), index);
    }
    PendingChange& entry = entries_[index];
    entry.displayName = change.displayName ? change.displayName : "";
    entry.kind = change.kind;
    entry.oldState = change.oldState;
    entry.newState = change.newState;
    entry.detectedAt = detectedAt;
    entry.shown = false;
    return index;
}

void PendingChanges::Clear() {
    entries_.clear();
    byName_.clear();
}

int PendingChanges::IndexOf(const std::string& name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? -1 : static_cast<int>(found->second);
}
