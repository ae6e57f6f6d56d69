#include "document/ChangeList.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "document/SnapshotFile.h"
#include "res/resource.h"
#include "scm/NameLookup.h"
#include "scm/NameMatch.h"

unsigned ChangeKindTextId(int32_t kind) {
    if (kind == NewService) return IDS_CHANGE_NEW_SERVICE;
    if (kind == DeletedService) return IDS_CHANGE_DELETED_SERVICE;
    return IDS_CHANGE_MODIFIED;
}

std::string ChangeKindText(platform::TextSource& texts, int32_t kind) {
    return texts.Text(ChangeKindTextId(kind));
}

namespace {

std::vector<const char*> NamesOf(const ServiceEntryArray& set) {
    std::vector<const char*> names(static_cast<size_t>(set.GetCount()), nullptr);
    for (int i = 0; i < set.GetCount(); ++i) {
        const ServiceEntry* e = set.GetEntry(i);
        if (e != nullptr) names[static_cast<size_t>(i)] = e->name;
    }
    return names;
}

// The platform's comparison against every slot in order: no memory needed.
int Scan(platform::ScmApi& api, const ServiceEntryArray& set, const char* name) {
    for (int i = 0; i < set.GetCount(); ++i) {
        const ServiceEntry* e = set.GetEntry(i);
        if (e != nullptr && SameServiceName(api, name, e->name)) return i;
    }
    return -1;
}

}  // namespace

ChangeList::~ChangeList() {
    Clear();
}

void ChangeList::Clear() {
    while (first_ != nullptr) {
        ServiceChange* next = first_->next;
        std::free(first_);
        first_ = next;
    }
    count_ = 0;
    cursor_ = nullptr;
}

const ServiceChange* ChangeList::GetChange(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    // Callers walk the records by index; starting from the last one asked
    // for keeps that walk linear rather than quadratic.
    int at = 0;
    const ServiceChange* change = first_;
    if (cursor_ != nullptr && cursorIndex_ <= index) {
        at = cursorIndex_;
        change = cursor_;
    }
    for (; at < index && change != nullptr; ++at) change = change->next;
    cursor_ = change;
    cursorIndex_ = at;
    return change;
}

void ChangeList::Add(const ServiceEntry& entry, int32_t kind, uint32_t oldState,
                     uint32_t newState) {
    const char* name = entry.name != nullptr ? entry.name : "";
    const char* display = entry.displayName != nullptr ? entry.displayName : "";
    size_t nameSize = std::strlen(name) + 1;
    size_t displaySize = std::strlen(display) + 1;
    auto* change =
        static_cast<ServiceChange*>(std::malloc(sizeof(ServiceChange) + nameSize + displaySize));
    if (change == nullptr) return;  // left out, as an allocation failure must be
    change->name = reinterpret_cast<char*>(change + 1);
    change->displayName = change->name + nameSize;
    std::memcpy(change->name, name, nameSize);
    std::memcpy(change->displayName, display, displaySize);
    change->kind = static_cast<ChangeKind>(kind);
    change->oldState = oldState;
    change->newState = newState;
    change->next = first_;
    first_ = change;
    ++count_;
    cursor_ = nullptr;  // every index has moved on by one
}

void ChangeList::Diff(const ServiceEntryArray& newSet, const ServiceEntryArray& oldSet) {
    Clear();
    NameLookup newIndex, oldIndex;
    std::vector<char> matched;
    bool indexed = true;
    try {
        newIndex.Make(NamesOf(newSet));
        oldIndex.Make(NamesOf(oldSet));
        matched.assign(static_cast<size_t>(newSet.GetCount()), 0);
    } catch (const std::bad_alloc&) {
        indexed = false;  // scanning needs no memory and gives the same answer
    }

    for (int j = 0; j < oldSet.GetCount(); ++j) {
        const ServiceEntry* o = oldSet.GetEntry(j);
        if (o == nullptr) continue;
        int i = indexed ? newIndex.First(api_, oldIndex, static_cast<uint32_t>(j))
                        : Scan(api_, newSet, o->name);
        if (i < 0) {
            Add(*o, DeletedService, o->currentState, platform::scm::kStopped);
            continue;
        }
        const ServiceEntry* n = newSet.GetEntry(i);
        if (indexed) matched[static_cast<size_t>(i)] = 1;
        int32_t kind = 0;
        if (std::strcmp(o->displayName, n->displayName) != 0) kind |= DisplayNameChanged;
        if (o->serviceType != n->serviceType) kind |= TypeChanged;
        if (o->currentState != n->currentState) kind |= StateChanged;
        if (o->controlsAccepted != n->controlsAccepted) kind |= ControlsAcceptedChanged;
        if (compareType_ == 0) {
            if (o->win32ExitCode != n->win32ExitCode) kind |= Win32ExitCodeChanged;
            if (o->serviceSpecificExitCode != n->serviceSpecificExitCode)
                kind |= SpecificExitCodeChanged;
            if (o->checkPoint != n->checkPoint) kind |= CheckPointChanged;
            if (o->waitHint != n->waitHint) kind |= WaitHintChanged;
        }
        if (kind != 0) Add(*n, kind, o->currentState, n->currentState);
    }

    for (int i = 0; i < newSet.GetCount(); ++i) {
        const ServiceEntry* n = newSet.GetEntry(i);
        if (n == nullptr || (indexed && matched[static_cast<size_t>(i)])) continue;
        int j = indexed ? oldIndex.First(api_, newIndex, static_cast<uint32_t>(i))
                        : Scan(api_, oldSet, n->name);
        if (j < 0) Add(*n, NewService, platform::scm::kStopped, n->currentState);
    }
}

bool ChangeList::Compare(const ServiceList& newList, const ServiceList& oldList) {
    lastError_ = kChangeErrNone;
    ServiceEntryArray newSet, oldSet;
    if (!newSet.CopyFrom(newList) || !oldSet.CopyFrom(oldList)) {
        lastError_ = kChangeErrLoad;
        return false;
    }
    Diff(newSet, oldSet);
    return true;
}

bool ChangeList::CompareWithSnapshot(const ServiceList& list, platform::File& file) {
    lastError_ = kChangeErrNone;
    ServiceEntryArray newSet, oldSet;
    SnapshotFile snapshot;
    fileFailed_ = false;
    if (!newSet.CopyFrom(list) || !snapshot.Read(oldSet, file)) {
        fileFailed_ = snapshot.FileFailed();
        lastError_ = kChangeErrLoad;
        return false;
    }
    // The machine is not compared: another machine's snapshot taken with the
    // same options is accepted.
    const SnapshotHeader& header = snapshot.GetHeader();
    if (header.active != list.active || header.inactive != list.inactive ||
        header.win32 != list.win32 || header.driver != list.driver ||
        header.accessType != list.accessType) {
        lastError_ = kChangeErrOptions;
        return false;
    }
    snapshotDate_ = header.date;
    snapshotGaps_ = snapshot.GetGaps();
    Diff(newSet, oldSet);
    return true;
}
