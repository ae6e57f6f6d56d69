#include "views/ServiceProperties.h"

#include <cstdio>
#include <cstring>

#include "res/resource.h"

DelayText DelayOf(uint32_t milliseconds) {
    if (milliseconds < 1000 || milliseconds % 1000 != 0)
        return {IDS_DELAY_MILLISECONDS, milliseconds};
    uint32_t seconds = milliseconds / 1000;
    if (seconds < 60 || seconds % 60 != 0) return {IDS_DELAY_SECONDS, seconds};
    return {IDS_DELAY_MINUTES, seconds / 60};
}

unsigned RecoveryActionTextId(uint32_t type) {
    return type <= 3 ? IDS_RECOVERY_BASE + type : 0;
}

std::string TagText(const char* loadOrderGroup, uint32_t tag) {
    if (loadOrderGroup == nullptr || *loadOrderGroup == '\0') return std::string();
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(tag));
    return text;
}

std::vector<std::string> DependencyNames(const char* list) {
    std::vector<std::string> names;
    if (list == nullptr) return names;
    for (const char* name = list; *name != '\0'; name += names.front().size() + 1)
        names.insert(names.begin(), name);
    return names;
}

namespace {
namespace sc = platform::scm;
}  // namespace

ServiceTypeBoxes ServiceTypeBoxes::Of(uint32_t serviceType) {
    ServiceTypeBoxes boxes;
    boxes.ownProcess = (serviceType & sc::kTypeWin32OwnProcess) != 0;
    boxes.sharedProcess = (serviceType & sc::kTypeWin32ShareProcess) != 0;
    boxes.kernelDriver = (serviceType & sc::kTypeKernelDriver) != 0;
    boxes.fileSystemDriver = (serviceType & sc::kTypeFileSystemDriver) != 0;
    boxes.interactive = (serviceType & sc::kTypeInteractive) != 0;
    return boxes;
}

// The other bits (per-user services, adapters, recognizers) are not the
// dialog's to change: a type rebuilt from the boxes would drop them.
uint32_t ServiceTypeToWrite(uint32_t readType, bool interactive) {
    if (((readType & sc::kTypeInteractive) != 0) == interactive) return sc::kNoChange;
    return readType ^ sc::kTypeInteractive;
}

uint32_t StartTypeItem(uint32_t startType, bool delayed) {
    return delayed && startType == sc::kAutoStart ? kDelayedStartItem : startType;
}

StartTypeChoice StartTypeOfItem(uint32_t item, bool readDelayed) {
    if (item == kDelayedStartItem) return {sc::kAutoStart, !readDelayed, true};
    if (item > 4) return {sc::kNoChange, false, readDelayed};
    bool clear = item == sc::kAutoStart && readDelayed;
    return {item, clear, false};
}

unsigned TriggerKindTextId(uint32_t kind) {
    // SERVICE_TRIGGER_TYPE_CUSTOM is 20; 7, a custom system state change, reads as custom too.
    if (kind >= 1 && kind <= 6) return IDS_TRIGGER_BASE + kind;
    if (kind == 7 || kind == 20) return IDS_TRIGGER_BASE + 7;
    return IDS_TRIGGER_UNKNOWN;
}

unsigned UserServiceKindTextId(uint32_t serviceType) {
    if (serviceType & sc::kTypeUserServiceInstance) return IDS_USER_INSTANCE;
    if (serviceType & sc::kTypeUserService) return IDS_USER_TEMPLATE;
    return 0;
}
