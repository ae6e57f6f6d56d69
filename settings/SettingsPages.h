#pragma once
// The rules of the settings dialog's pages, decided without a window: the
// comparison periods, what the actions page remembers while comparison or
// logging is off, and the working copy of every service's custom actions.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"
#include "settings/CustomActions.h"

// The periods the comparison list offers, in its order; 0 is "no comparison".
constexpr int kPeriodCount = 10;
extern const uint32_t kComparePeriods[kPeriodCount];
// The first period not shorter than `compareTimer`; -1 beyond the longest.
int PeriodIndexOf(int64_t compareTimer);
// The period of a list index; none chosen (below 0) is no comparison.
uint32_t PeriodAt(int index);
// The monitor timer's period for a stored `CompareTimer`, a DWORD (from
// 0x80000000 on a long period, never a negative one): 0 for none, and no
// longer than the platform's timers run.
uint32_t MonitorTimerPeriod(uint32_t compareTimer);

// The actions page: what a pass does with a change, and the history log.
struct ActionsPage {
    bool showChanges = false;
    bool beep = false;
    bool logging = false;
    std::string logPath;
    bool autoDelete = false;

    bool comparisonOff = false;  // the three checks are cleared and disabled
    // While comparison is off, the three checks as they were.
    bool keptShowChanges = false, keptBeep = false, keptLogging = false;
    // While logging is off, the path and its option as they were.
    std::string keptPath;
    bool keptAutoDelete = false;

    // Comparison switched off or on again; nothing when it stays as it is.
    // The logging rule follows either way.
    void SetComparison(bool on);
    // After the logging check changed: a path comes back from the kept copy
    // when it is checked and empty; it goes into the copy when unchecked,
    // so that the stored path is empty (and the log off) while unchecked.
    void ApplyLogging();
};

// Every service's custom actions while the dialog is open. Names are
// matched ignoring letter case; each record keeps the name it came with.
class CustomActionsCopy {
public:
    struct Record {
        std::string name;
        CustomActions actions;
        // As read. A record the user left alone is not written back: a read
        // that failed gives no actions, and writing that would delete them.
        CustomActions stored;
    };

    // The services that have actions, in the settings' order.
    void Load(platform::RegistryApi& registry);
    const std::vector<Record>& Records() const { return records_; }
    Record* Find(const std::string& name);
    // The record of that name, made with no action when there is none.
    Record& Add(const std::string& name);
    // Each record the user changed written (no action: its key deleted);
    // false when any of them failed, the others written all the same.
    bool Save(platform::RegistryApi& registry) const;

private:
    std::vector<Record> records_;
};

// Letter case aside, as the registry compares key names.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);
