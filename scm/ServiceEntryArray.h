#pragma once
#include <cstdint>

#include "scm/ServiceEntry.h"

class ServiceList;

// Owned copies of service entries, each one allocation holding the numbers
// and both texts; the input of change detection and of the snapshot reader.
class ServiceEntryArray {
public:
    ServiceEntryArray() = default;
    virtual ~ServiceEntryArray();
    ServiceEntryArray(const ServiceEntryArray&) = delete;
    ServiceEntryArray& operator=(const ServiceEntryArray&) = delete;

    void Clear();
    bool Allocate(int count);
    // Stores a copy of the two texts; the caller sets the seven numbers.
    bool SetEntry(int index, const char* name, const char* displayName);
    bool SetEntry(int index, const ServiceEntry& entry);
    bool CopyFrom(const ServiceList& list);

    ServiceEntry* GetEntry(int index) const;
    int GetCount() const { return count_; }

private:
    ServiceEntry** slots_ = nullptr;
    int count_ = 0;
};
