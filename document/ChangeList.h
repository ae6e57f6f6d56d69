#pragma once
#include <cstdint>
#include <string>

#include "document/SnapshotFile.h"
#include "platform/FileApi.h"
#include "platform/ScmApi.h"
#include "platform/TextSource.h"
#include "scm/ServiceEntryArray.h"
#include "scm/ServiceList.h"

// What happened to a service: new, deleted, or the OR of the flags of the
// fields that differ.
enum ChangeKind : int32_t {
    NewService = 1,
    DeletedService = 2,
    DisplayNameChanged = 4,
    TypeChanged = 8,
    StateChanged = 16,
    ControlsAcceptedChanged = 32,
    Win32ExitCodeChanged = 64,
    SpecificExitCodeChanged = 128,
    CheckPointChanged = 256,
    WaitHintChanged = 512,
};

// String-table id of the text shown for a kind: every modification reads
// the same.
unsigned ChangeKindTextId(int32_t kind);
std::string ChangeKindText(platform::TextSource& texts, int32_t kind);

// One change; a single allocation with both texts behind the fields.
struct ServiceChange {
    char* name;
    char* displayName;
    ChangeKind kind;
    uint32_t oldState;  // stopped for a new service
    uint32_t newState;  // stopped for a deleted service
    ServiceChange* next;
};

enum ChangeListError : int32_t {
    kChangeErrNone = 0,
    kChangeErrLoad = 2,     // a side failed to load or copy
    kChangeErrOptions = 5,  // the snapshot was taken with other options
};

// The changes between an old and a new set of services, newest record first.
class ChangeList {
public:
    // Service names are matched with the platform's case-insensitive comparison.
    explicit ChangeList(platform::ScmApi& api) : api_(api) {}
    virtual ~ChangeList();
    ChangeList(const ChangeList&) = delete;
    ChangeList& operator=(const ChangeList&) = delete;

    // 0 compares all eight fields; 1 (the start) the display name, type,
    // state and accepted controls only.
    void SetCompareType(uint32_t value) { compareType_ = value; }
    uint32_t GetCompareType() const { return compareType_; }

    // Each returns false and keeps the previous records when a side cannot
    // be loaded (error 2) or, for a snapshot, was taken with other options (5).
    bool Compare(const ServiceList& newList, const ServiceList& oldList);
    // The list is the new side, the snapshot the old one.
    bool CompareWithSnapshot(const ServiceList& list, platform::File& file);
    // The diff itself: replaces the records with the changes from oldSet to newSet.
    void Diff(const ServiceEntryArray& newSet, const ServiceEntryArray& oldSet);

    void Clear();
    int GetCount() const { return count_; }
    // Index 0 is the front record; null at or past the count.
    const ServiceChange* GetChange(int index) const;
    const std::string& GetSnapshotDate() const { return snapshotDate_; }
    ChangeListError GetLastError() const { return lastError_; }
    // After a failed CompareWithSnapshot: whether the file layer failed to
    // read, so that the caller asks it why.
    bool FileFailed() const { return fileFailed_; }
    // The sections of the snapshot last compared that lacked numbers.
    const SnapshotFile::Gaps& GetSnapshotGaps() const { return snapshotGaps_; }

private:
    void Add(const ServiceEntry& entry, int32_t kind, uint32_t oldState, uint32_t newState);

    platform::ScmApi& api_;
    std::string snapshotDate_;
    int count_ = 0;
    ServiceChange* first_ = nullptr;
    uint32_t compareType_ = 1;
    ChangeListError lastError_ = kChangeErrNone;
    bool fileFailed_ = false;
    SnapshotFile::Gaps snapshotGaps_;
    mutable const ServiceChange* cursor_ = nullptr;  // the record last asked for
    mutable int cursorIndex_ = 0;
};
