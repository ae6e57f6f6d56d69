#include "scm/ServiceEntryArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "scm/ServiceList.h"

namespace {

// One block: the entry, then the name and the display name, each ended by a
// NUL. The numbers are left for the caller.
ServiceEntry* NewCopy(const char* name, size_t nameSize, const char* displayName,
                      size_t displaySize) {
    auto* copy =
        static_cast<ServiceEntry*>(std::malloc(sizeof(ServiceEntry) + nameSize + displaySize + 2));
    if (copy == nullptr) return nullptr;
    copy->name = reinterpret_cast<char*>(copy + 1);
    copy->displayName = copy->name + nameSize + 1;
    std::memcpy(copy->name, name, nameSize);
    copy->name[nameSize] = '\0';
    std::memcpy(copy->displayName, displayName, displaySize);
    copy->displayName[displaySize] = '\0';
    return copy;
}

}  // namespace

ServiceEntryArray::Builder::~Builder() {
    for (int i = 0; i < count_; ++i) std::free(copies_[i]);
    std::free(copies_);
}

bool ServiceEntryArray::Builder::Reserve(int count) {
    if (count <= capacity_) return true;
    void* grown = std::realloc(copies_, static_cast<size_t>(count) * sizeof(*copies_));
    if (grown == nullptr) return false;
    copies_ = static_cast<ServiceEntry**>(grown);
    capacity_ = count;
    return true;
}

bool ServiceEntryArray::Builder::Add(const char* name, size_t nameSize, const char* displayName,
                                     size_t displaySize, const platform::ServiceStatus& status) {
    if (count_ == capacity_ &&
        (capacity_ > INT_MAX / 2 || !Reserve(capacity_ == 0 ? 64 : capacity_ * 2)))
        return false;
    ServiceEntry* copy = NewCopy(name, nameSize, displayName, displaySize);
    if (copy == nullptr) return false;
    *StatusOf(copy) = status;
    copies_[count_++] = copy;
    return true;
}

ServiceEntryArray::~ServiceEntryArray() {
    Clear();
}

void ServiceEntryArray::Clear() {
    for (int i = 0; i < count_; ++i) std::free(slots_[i]);
    std::free(slots_);
    slots_ = nullptr;
    count_ = 0;
}

bool ServiceEntryArray::Allocate(int count) {
    Clear();
    if (count <= 0) return false;
    slots_ = static_cast<ServiceEntry**>(std::calloc(static_cast<size_t>(count), sizeof(*slots_)));
    if (slots_ == nullptr) return false;
    count_ = count;
    return true;
}

bool ServiceEntryArray::SetEntry(int index, const char* name, const char* displayName) {
    if (slots_ == nullptr || index < 0 || index >= count_) return false;
    if (name == nullptr) name = "";
    if (displayName == nullptr) displayName = "";
    ServiceEntry* copy = NewCopy(name, std::strlen(name), displayName, std::strlen(displayName));
    if (copy == nullptr) return false;
    *StatusOf(copy) = platform::ServiceStatus{};
    std::free(slots_[index]);
    slots_[index] = copy;
    return true;
}

bool ServiceEntryArray::SetEntry(int index, const ServiceEntry& entry) {
    if (!SetEntry(index, entry.name, entry.displayName)) return false;
    *StatusOf(slots_[index]) = *StatusOf(&entry);
    return true;
}

bool ServiceEntryArray::CopyFrom(const ServiceList& list) {
    Clear();
    uint32_t count = list.GetCount();
    if (count == 0 || count > INT32_MAX || !Allocate(static_cast<int>(count))) return false;
    for (int i = 0; i < count_; ++i) {
        const ServiceEntry* entry = list.EntryAt(static_cast<uint32_t>(i));
        if (entry == nullptr || !SetEntry(i, *entry)) return false;
    }
    return true;
}

bool ServiceEntryArray::Take(Builder& builder) {
    Clear();
    if (builder.count_ == 0) return false;
    slots_ = builder.copies_;
    count_ = builder.count_;
    builder.copies_ = nullptr;
    builder.count_ = builder.capacity_ = 0;
    return true;
}

ServiceEntry* ServiceEntryArray::GetEntry(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[index];
}
