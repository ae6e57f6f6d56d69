#pragma once
// What the service properties dialog shows and writes, decided without a
// window: the recovery rows, the tag, the dependency order and the service
// type to write back.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ScmApi.h"

// A recovery delay: the text's format ("%u ms.", "%u seg." or "%u min.")
// and the number it shows.
struct DelayText {
    unsigned formatId;
    uint32_t value;
};
DelayText DelayOf(uint32_t milliseconds);

// The text of a recovery action's type; 0 for a type without one.
unsigned RecoveryActionTextId(uint32_t type);

// "0x%08x" of the tag when the service has a load-order group, else empty.
std::string TagText(const char* loadOrderGroup, uint32_t tag);

// The dependency names in the order the list shows them: the reverse of
// the stored order. The list ends at its first empty name.
std::vector<std::string> DependencyNames(const char* list);

// The service type's boxes on the configuration page.
struct ServiceTypeBoxes {
    bool ownProcess = false;
    bool sharedProcess = false;
    bool kernelDriver = false;
    bool fileSystemDriver = false;
    bool interactive = false;

    static ServiceTypeBoxes Of(uint32_t serviceType);
};

// The type OK sends for a service whose type read `readType`: the
// platform's no-change value, unless the interactive box was changed, and
// then the read type with only that bit changed.
uint32_t ServiceTypeToWrite(uint32_t readType, bool interactive);

// The start type list's items are the start types by number, then the
// automatic start with the delayed flag.
constexpr uint32_t kDelayedStartItem = 5;
uint32_t StartTypeItem(uint32_t startType, bool delayed);
// What OK writes for the chosen item: the start type (the platform's
// no-change value for none), and the delayed flag when it must be written:
// only for an automatic choice, and only when it differs from `readDelayed`.
struct StartTypeChoice {
    uint32_t startType;
    bool writeDelayed;
    bool delayed;
};
StartTypeChoice StartTypeOfItem(uint32_t item, bool readDelayed);

// The text of a trigger kind; IDS_TRIGGER_UNKNOWN (a "%u" format) for a kind
// without one.
unsigned TriggerKindTextId(uint32_t kind);
// The per-user kind of a service type: template, instance, or 0 for neither.
unsigned UserServiceKindTextId(uint32_t serviceType);
