#include "views/RemoteMachineRows.h"

#include <algorithm>
#include <cstdio>

#include "settings/RemoteMachineList.h"
#include "settings/SettingsStore.h"
#include "views/ColumnSort.h"

bool RemoteMachineRows::HasMachine(const std::string& machine) const {
    return std::any_of(rows.begin(), rows.end(),
                       [&](const RemoteRow& row) { return row.machine == machine; });
}

bool RemoteMachineRows::Load(platform::RegistryApi& registry) {
    rows.clear();
    SettingsStore store(registry);
    if (!store.OpenOpenServices()) return false;
    capacity_ = store.GetMaxRemote();
    for (int slot = 0; slot < capacity_; ++slot) {
        std::string stored = store.ReadRemoteSlot(slot);
        if (stored.empty()) continue;
        std::string machine = RemoteMachineList::Normalized(stored);
        if (!HasMachine(machine)) rows.push_back(RemoteRow{machine, std::string(), false});
        std::string alias = store.ReadAlias(stored);
        if (alias == stored) continue;
        for (RemoteRow& row : rows)
            if (row.machine == machine) row.alias = RemoteMachineList::Normalized(alias);
    }
    return true;
}

bool RemoteMachineRows::Save(platform::RegistryApi& registry) const {
    SettingsStore store(registry);
    if (!store.OpenOpenServices()) return false;
    int capacity = store.GetMaxRemote();
    for (int slot = 0; slot < capacity; ++slot) {
        std::string stored = store.ReadRemoteSlot(slot);
        if (!stored.empty() && !HasMachine(stored)) store.DeleteRemoteSlot(slot);
    }
    for (int r = 0; r < static_cast<int>(rows.size()) && r < capacity; ++r) {
        const RemoteRow& row = rows[static_cast<size_t>(r)];
        store.WriteRemoteSlot(r, row.machine);
        if (!row.alias.empty())
            store.WriteAlias(row.machine, row.alias);
        else
            store.DeleteValue(row.machine);
    }
    return true;
}

std::string RemoteMachineRows::NewMachineName(const std::string& prefix) const {
    for (int k = 0;; ++k) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", k);
        if (!HasMachine(prefix + number)) return prefix + number;
    }
}

std::string RemoteMachineRows::ResultText(const RemoteRow* selected) {
    if (!selected) return std::string();
    return selected->alias.empty() ? selected->machine : selected->alias;
}

std::vector<int> RemoteMachineRows::SortBy(int column, bool ascending) {
    std::vector<std::string> texts;
    for (const RemoteRow& row : rows) texts.push_back(column == 1 ? row.alias : row.machine);
    std::vector<int> order = SortOrder(texts, !ascending);
    std::vector<RemoteRow> sorted;
    for (int from : order) sorted.push_back(rows[static_cast<size_t>(from)]);
    rows = std::move(sorted);
    return order;
}
