#pragma once
// The remote machines the user opened, most recent first, each with an
// optional alias shown in its place; kept in the settings' OpenServices key.
#include <string>
#include <utility>
#include <vector>

#include "platform/RegistryApi.h"

struct OfferedMachine {
    std::string text;  // lower-cased and trimmed
    int slot;
};

class RemoteMachineList {
public:
    explicit RemoteMachineList(platform::RegistryApi& registry) : registry_(registry) {}

    // The entries offered for choice, each text once; builds the alias table
    // the other lookups use.
    std::vector<OfferedMachine> Offer();
    // The machine a typed or chosen text names: an alias gives its machine.
    std::string Resolve(const std::string& text) const;
    // What to show for a machine: its alias, or the machine itself.
    std::string AliasOf(const std::string& machine) const;
    // Puts the machine at the front; local names are not recorded.
    void RecordUse(const std::string& machine);

    // Lower-cased (ASCII letters) and trimmed of white space at both ends.
    static std::string Normalized(const std::string& text);
    // The empty text, "127.0.0.1" and "localhost" denote this machine.
    static bool IsLocalName(const std::string& text);

private:
    platform::RegistryApi& registry_;
    std::vector<std::pair<std::string, std::string>> aliases_;  // machine, alias, as stored
};
