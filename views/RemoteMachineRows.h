#pragma once
// The rows of the remote machines dialog: a working copy of the remote
// machine list, loaded from the settings and saved back only on OK.
#include <string>
#include <vector>

#include "platform/RegistryApi.h"

struct RemoteRow {
    std::string machine;
    std::string alias;  // empty when the machine has none
    bool added;         // added in the dialog rather than loaded
};

class RemoteMachineRows {
public:
    // Fills the rows from the settings, each machine once. When the settings
    // cannot be opened the rows are empty and the capacity stays as it was.
    bool Load(platform::RegistryApi& registry);
    // Writes the rows in their order and removes the stored machines no row
    // has any more; false when the settings cannot be opened.
    bool Save(platform::RegistryApi& registry) const;

    int Capacity() const { return capacity_; }
    bool CanAdd() const { return static_cast<int>(rows.size()) < capacity_; }
    // The prefix with 00, 01, ...: the first such name no row has.
    std::string NewMachineName(const std::string& prefix) const;
    bool HasMachine(const std::string& machine) const;
    // Sorts the rows by machine (column 0) or alias (column 1), byte by byte;
    // equal texts keep their order. Gives where each row came from.
    std::vector<int> SortBy(int column, bool ascending);
    // What the open services dialog gets back: the alias, else the machine.
    static std::string ResultText(const RemoteRow* selected);

    std::vector<RemoteRow> rows;

private:
    int capacity_ = 0;
};
