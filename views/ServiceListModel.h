#pragma once
// What the services list shows and allows, decided without a window: the
// column set, the texts, icons and colours of a row, and the commands a row
// enables.
#include <cstdint>
#include <functional>
#include <string>

#include "scm/ConfigRecords.h"

struct ServiceEntry;

enum ListColumn {
    kColName,
    kColDescription,
    kColState,
    kColStartType,
    kColAccount,
    kColErrorControl,
    kColumnCount
};

struct ListColumns {
    bool visible[kColumnCount] = {};
    // From the ShowColumns mask; the name column is always shown.
    static ListColumns FromMask(uint32_t mask);
    // Position of a slot in the control, or -1 when it is not shown.
    int Position(int slot) const;
};

unsigned ColumnTitleId(int slot);
unsigned StartTypeTextId(uint32_t startType);        // 0: no text
unsigned ErrorControlTextId(uint32_t errorControl);  // 0: no text

// The start type cell: the delayed text for an automatic start with the
// delayed flag, else the start type's own (0: none, the number is shown),
// followed by the trigger suffix when `triggered`.
struct StartTypeCell {
    unsigned id;
    bool triggered;
};
StartTypeCell StartTypeCellOf(uint32_t startType, const StartFlags& flags);
// That cell's text, with `text` giving the language's text of an id.
std::string StartTypeCellText(uint32_t startType, const StartFlags& flags,
                              const std::function<std::string(unsigned)>& text);

// Image of the state icon strip for a row showing `currentState`.
int StateImage(uint32_t currentState);
constexpr int kImageNotShown = 1;
// Colours as 0x00BBGGRR.
constexpr uint32_t kNameColour = 0x600000;
uint32_t StateColour(uint32_t shownState);

bool CanStart(const ServiceEntry* entry);
bool CanStop(const ServiceEntry* entry);
bool CanPause(const ServiceEntry* entry);
bool CanRestart(const ServiceEntry* entry);

// The refresh timer's next period: it grows by a refresh that outlasted it.
uint32_t NextRefreshPeriod(uint32_t period, uint32_t elapsed);
