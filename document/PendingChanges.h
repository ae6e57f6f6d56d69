#pragma once
// What the changed services window shows, decided without a window: one
// entry per service (its name compared exactly), the latest change of it
// winning, in the order the services first changed.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/LocaleTime.h"

struct ServiceChange;

struct PendingChange {
    std::string name;
    std::string displayName;
    int32_t kind = 0;
    uint32_t oldState = 0;
    uint32_t newState = 0;
    platform::LocalDateTime detectedAt;
    bool shown = false;  // has its row on screen
};

class PendingChanges {
public:
    // Records a copy of `change`; the entry of its service, found or
    // appended, loses its row's shown mark. Gives that entry's index.
    size_t Add(const ServiceChange& change, const platform::LocalDateTime& detectedAt);
    void Clear();
    size_t Count() const { return entries_.size(); }
    const PendingChange& At(size_t index) const { return entries_[index]; }
    void MarkShown(size_t index) { entries_[index].shown = true; }
    // The entry of that service, or -1.
    int IndexOf(const std::string& name) const;

private:
    std::vector<PendingChange> entries_;
    std::unordered_map<std::string, size_t> byName_;
};
