#include "scm/ServiceEntryArray.h"

#include <cstdlib>
#include <cstring>

#include "scm/ServiceList.h"

ServiceEntryArray::~ServiceEntryArray() { Clear(); }

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
    size_t nameSize = std::strlen(name) + 1;
    size_t displaySize = std::strlen(displayName) + 1;
    auto* copy = static_cast<ServiceEntry*>(std::malloc(sizeof(ServiceEntry) + nameSize + displaySize));
    if (copy == nullptr) return false;
    std::memset(copy, 0, sizeof(ServiceEntry));
    copy->name = reinterpret_cast<char*>(copy + 1);
    copy->displayName = copy->name + nameSize;
    std::memcpy(copy->name, name, nameSize);
    std::memcpy(copy->displayName, displayName, displaySize);
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

ServiceEntry* ServiceEntryArray::GetEntry(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[index];
}
