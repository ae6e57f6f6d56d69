#include "settings/RemoteMachineList.h"

#include <algorithm>

#include "settings/SettingsStore.h"

std::string RemoteMachineList::Normalized(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    std::string s = text.substr(first, text.find_last_not_of(blanks) - first + 1);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool RemoteMachineList::IsLocalName(const std::string& text) {
    std::string name = Normalized(text);
    return name.empty() || name == "127.0.0.1" || name == "localhost";
}

std::vector<OfferedMachine> RemoteMachineList::Offer() {
    aliases_.clear();
    std::vector<OfferedMachine> offered;
    SettingsStore store(registry_);
    if (!store.OpenOpenServices()) return offered;
    int max = store.GetMaxRemote();
    for (int slot = 0; slot < max; ++slot) {
        std::string machine = store.ReadRemoteSlot(slot);
        if (machine.empty()) continue;
        std::string alias = store.ReadAlias(machine);
        if (alias != machine) aliases_.emplace_back(machine, alias);
        std::string text = Normalized(alias != machine ? alias : machine);
        bool taken = std::any_of(offered.begin(), offered.end(),
                                 [&](const OfferedMachine& o) { return o.text == text; });
        if (!taken) offered.push_back(OfferedMachine{text, slot});
    }
    return offered;
}

std::string RemoteMachineList::Resolve(const std::string& text) const {
    std::string name = Normalized(text);
    for (const auto& pair : aliases_)
        if (Normalized(pair.second) == name) return pair.first;
    return name;
}

std::string RemoteMachineList::AliasOf(const std::string& machine) const {
    std::string name = Normalized(machine);
    for (const auto& pair : aliases_)
        if (Normalized(pair.first) == name) return pair.second;
    return machine;
}

// The machine goes to slot 0; the others follow in their order without
// empty slots or earlier copies of it; the last slot always falls off.
void RemoteMachineList::RecordUse(const std::string& machine) {
    if (IsLocalName(machine)) return;
    SettingsStore store(registry_);
    if (!store.OpenOpenServices()) return;
    int max = store.GetMaxRemote();
    if (max <= 0) return;
    std::string carry = machine;
    int written = 0;
    for (int slot = 0; slot < max; ++slot) {
        std::string next = store.ReadRemoteSlot(slot);
        if (slot == 0 || (!carry.empty() && carry != machine))
            store.WriteRemoteSlot(written++, carry);
        carry = next;
    }
    for (int slot = written; slot < max; ++slot) store.DeleteRemoteSlot(slot);
}
