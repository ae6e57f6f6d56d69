#pragma once
#include <cstddef>
#include <cstdint>

#include "scm/ServiceEntry.h"

class ServiceList;

// Owned copies of service entries, each one piece of memory holding the
// numbers and both texts; the input of change detection and of the snapshot
// reader.
class ServiceEntryArray {
    struct Block;

public:
    // Copies gathered one at a time when their number is only known at the
    // end (the snapshot reader), then handed to an array whole, so nothing
    // is copied twice. They are laid out many to a block of memory: an
    // allocation of its own for each, and its freeing, would cost more than
    // reading it (about a tenth of a microsecond under Wine). Copies never
    // handed over are freed with it.
    class Builder {
    public:
        Builder() = default;
        ~Builder();
        Builder(const Builder&) = delete;
        Builder& operator=(const Builder&) = delete;

        // Texts by size, so that they need no terminator; false when out of memory.
        bool Add(const char* name, size_t nameSize, const char* displayName, size_t displaySize,
                 const platform::ServiceStatus& status);
        // Room for `count` copies in all, so that adding them moves nothing.
        bool Reserve(int count);
        int GetCount() const { return count_; }

    private:
        friend class ServiceEntryArray;
        ServiceEntry** copies_ = nullptr;
        int count_ = 0;
        int capacity_ = 0;
        Block* blocks_ = nullptr;  // the newest first
    };

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
    // Clears, then holds every copy of `builder` as its slots, in the order
    // they were added, leaving the builder empty. False, with no slots, when
    // the builder holds none.
    bool Take(Builder& builder);

    ServiceEntry* GetEntry(int index) const;
    int GetCount() const { return count_; }

private:
    // Whether `copy` lies in one of the blocks taken from a builder, where
    // it is not freed on its own.
    bool InBlocks(const ServiceEntry* copy) const;

    ServiceEntry** slots_ = nullptr;
    int count_ = 0;
    Block* blocks_ = nullptr;
    // Whether a slot was refilled since the blocks were taken: only then
    // may a slot hold a copy of its own beside them.
    bool refilled_ = false;
};
