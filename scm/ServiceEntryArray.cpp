#include "scm/ServiceEntryArray.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "scm/ServiceList.h"

// Memory for many copies, freed together: this header, then the copies.
struct ServiceEntryArray::Block {
    Block* next;
    size_t size;  // bytes for copies behind the header
    size_t used;
    char* Data() { return reinterpret_cast<char*>(this + 1); }
    bool Holds(const void* p) {
        std::less_equal<const void*> atMost;
        return atMost(Data(), p) && !atMost(Data() + size, p);
    }
};

namespace {

// The entry, then the name and the display name, each ended by a NUL, in
// `memory`. The numbers are left for the caller.
ServiceEntry* PlaceCopy(void* memory, const char* name, size_t nameSize, const char* displayName,
                        size_t displaySize) {
    auto* copy = static_cast<ServiceEntry*>(memory);
    copy->name = reinterpret_cast<char*>(copy + 1);
    copy->displayName = copy->name + nameSize + 1;
    std::memcpy(copy->name, name, nameSize);
    copy->name[nameSize] = '\0';
    std::memcpy(copy->displayName, displayName, displaySize);
    copy->displayName[displaySize] = '\0';
    return copy;
}

// Bytes of one copy, rounded up so that the next one in a block is aligned
// for the entry's pointers.
size_t CopySize(size_t nameSize, size_t displaySize) {
    size_t size = sizeof(ServiceEntry) + nameSize + displaySize + 2;
    return (size + alignof(ServiceEntry) - 1) & ~(alignof(ServiceEntry) - 1);
}

// One allocation of its own.
ServiceEntry* NewCopy(const char* name, size_t nameSize, const char* displayName,
                      size_t displaySize) {
    void* memory = std::malloc(sizeof(ServiceEntry) + nameSize + displaySize + 2);
    if (memory == nullptr) return nullptr;
    return PlaceCopy(memory, name, nameSize, displayName, displaySize);
}

// Blocks grow from the first size by doubling up to the last, so that a
// small snapshot takes little memory and a large one few allocations; the
// last stays small enough for the heaps to serve it from their own memory
// rather than map it anew for each read.
constexpr size_t kFirstBlock = 16 * 1024;
constexpr size_t kLargestBlock = 64 * 1024;

template <typename Block>
void FreeBlocks(Block*& blocks) {
    while (blocks != nullptr) {
        Block* next = blocks->next;
        std::free(blocks);
        blocks = next;
    }
}

}  // namespace

ServiceEntryArray::Builder::~Builder() {
    FreeBlocks(blocks_);
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
    size_t size = CopySize(nameSize, displaySize);
    if (blocks_ == nullptr || blocks_->size - blocks_->used < size) {
        size_t room = blocks_ == nullptr ? kFirstBlock : blocks_->size * 2;
        if (room > kLargestBlock) room = kLargestBlock;
        if (room < size) room = size;
        auto* block = static_cast<Block*>(std::malloc(sizeof(Block) + room));
        if (block == nullptr) return false;
        *block = Block{blocks_, room, 0};
        blocks_ = block;
    }
    ServiceEntry* copy =
        PlaceCopy(blocks_->Data() + blocks_->used, name, nameSize, displayName, displaySize);
    blocks_->used += size;
    *StatusOf(copy) = status;
    copies_[count_++] = copy;
    return true;
}

ServiceEntryArray::~ServiceEntryArray() {
    Clear();
}

bool ServiceEntryArray::InBlocks(const ServiceEntry* copy) const {
    for (Block* block = blocks_; block != nullptr; block = block->next)
        if (block->Holds(copy)) return true;
    return false;
}

void ServiceEntryArray::Clear() {
    // Taken whole from a builder, every copy is in the blocks.
    if (blocks_ == nullptr || refilled_)
        for (int i = 0; i < count_; ++i)
            if (!InBlocks(slots_[i])) std::free(slots_[i]);
    FreeBlocks(blocks_);
    refilled_ = false;
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
    // A copy in a block goes with the block.
    if (!InBlocks(slots_[index])) std::free(slots_[index]);
    slots_[index] = copy;
    if (blocks_ != nullptr) refilled_ = true;
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
    blocks_ = builder.blocks_;
    builder.copies_ = nullptr;
    builder.blocks_ = nullptr;
    builder.count_ = builder.capacity_ = 0;
    return true;
}

ServiceEntry* ServiceEntryArray::GetEntry(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[index];
}
