#include "views/ServiceListModel.h"

#include "platform/ScmApi.h"
#include "res/resource.h"
#include "scm/ServiceEntry.h"

namespace sc = platform::scm;

ListColumns ListColumns::FromMask(uint32_t mask) {
    ListColumns columns;
    for (int i = 0; i < kColumnCount; ++i) columns.visible[i] = (mask >> i) & 1;
    columns.visible[kColName] = true;
    return columns;
}

int ListColumns::Position(int slot) const {
    if (slot < 0 || slot >= kColumnCount || !visible[slot]) return -1;
    int position = -1;
    for (int i = 0; i <= slot; ++i) position += visible[i] ? 1 : 0;
    return position;
}

unsigned ColumnTitleId(int slot) {
    return IDS_COLUMN_BASE + static_cast<unsigned>(slot);
}

unsigned StartTypeTextId(uint32_t startType) {
    return startType <= 4 ? IDS_START_TYPE_BASE + startType : 0;
}

StartTypeCell StartTypeCellOf(uint32_t startType, const StartFlags& flags) {
    bool delayed = flags.delayed && startType == sc::kAutoStart;
    return {delayed ? IDS_START_TYPE_DELAYED : StartTypeTextId(startType), flags.triggered};
}

std::string StartTypeCellText(uint32_t startType, const StartFlags& flags,
                              const std::function<std::string(unsigned)>& text) {
    StartTypeCell cell = StartTypeCellOf(startType, flags);
    std::string shown = cell.id != 0 ? text(cell.id) : std::to_string(startType);
    return cell.triggered ? shown + text(IDS_START_TYPE_TRIGGERED) : shown;
}

unsigned ErrorControlTextId(uint32_t errorControl) {
    return errorControl <= 3 ? IDS_ERROR_CONTROL_BASE + errorControl : 0;
}

int StateImage(uint32_t currentState) {
    if (currentState == sc::kRunning) return 2;
    if (currentState == sc::kStopped) return 3;
    return 4;
}

uint32_t StateColour(uint32_t shownState) {
    if (shownState == sc::kStopped) return 0x0000FF;
    if (shownState == sc::kRunning) return 0x008000;
    return 0x008080;
}

bool CanStart(const ServiceEntry* e) {
    return e && (e->currentState == sc::kStopped || e->currentState == sc::kPaused);
}
bool CanStop(const ServiceEntry* e) {
    return e && e->currentState == sc::kRunning && (e->controlsAccepted & sc::kAcceptStop);
}
bool CanPause(const ServiceEntry* e) {
    return e && e->currentState == sc::kRunning && (e->controlsAccepted & sc::kAcceptPauseContinue);
}
bool CanRestart(const ServiceEntry* e) {
    return CanStop(e);
}

uint32_t NextRefreshPeriod(uint32_t period, uint32_t elapsed) {
    return elapsed > period ? period + elapsed : period;
}
