#pragma once
// The records that configuration queries fill besides the main one, held
// to the buffer the platform filled: a damaged answer (or a remote
// machine's) never makes a reader go past it.
#include <cstdint>
#include <vector>

#include "platform/ScmApi.h"

// A record that claims more actions than its buffer holds keeps those it has.
void KeepActionsInside(platform::ServiceFailureActions* record, uint32_t size);
// The same for triggers; a list that starts outside the buffer has none.
void KeepTriggersInside(platform::ServiceTriggerInfo* record, uint32_t size);

// The kinds of the triggers that start the service, in their order, from a
// record kept inside its buffer.
std::vector<uint32_t> StartTriggerKinds(const platform::ServiceTriggerInfo& record);

// What the start type column shows beside the start type.
struct StartFlags {
    bool delayed = false;
    bool triggered = false;
};

// The flags of an open service whose start type is `startType`, in one
// call at most: the delayed flag of an automatic service, the triggers of a
// manual one. Nothing is known of a call that fails.
StartFlags ReadStartFlags(platform::ScmApi& api, platform::ScHandle service, uint32_t startType);
