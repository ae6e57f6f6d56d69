#include "settings/SettingsPages.h"

#include <cctype>

#include "settings/SettingsStore.h"

const uint32_t kComparePeriods[kPeriodCount] = {0,     1000,   5000,   10000,   30000,
                                                60000, 300000, 600000, 1800000, 3600000};

int PeriodIndexOf(int64_t compareTimer) {
    for (int i = 0; i < kPeriodCount; ++i)
        if (kComparePeriods[i] >= compareTimer) return i;
    return -1;
}

uint32_t PeriodAt(int index) {
    return index >= 0 && index < kPeriodCount ? kComparePeriods[index] : 0;
}

uint32_t MonitorTimerPeriod(uint32_t compareTimer) {
    const uint32_t longestTimer = 0x7FFFFFFF;  // USER_TIMER_MAXIMUM
    return compareTimer < longestTimer ? compareTimer : longestTimer;
}

void ActionsPage::SetComparison(bool on) {
    if (on == !comparisonOff) return ApplyLogging();
    if (!on) {
        keptShowChanges = showChanges, keptBeep = beep, keptLogging = logging;
        showChanges = beep = logging = false;
    } else {
        showChanges = keptShowChanges, beep = keptBeep, logging = keptLogging;
    }
    comparisonOff = !on;
    ApplyLogging();
}

void ActionsPage::ApplyLogging() {
    if (logging && logPath.empty()) {
        logPath.swap(keptPath);
        keptPath.clear();
        autoDelete = keptAutoDelete;
    } else if (!logging && keptPath.empty()) {
        keptPath.swap(logPath);
        logPath.clear();
        keptAutoDelete = autoDelete;
        autoDelete = false;
    }
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void CustomActionsCopy::Load(platform::RegistryApi& registry) {
    records_.clear();
    std::vector<std::string> names;
    SettingsStore(registry).ListServicesWithActions(&names);
    for (const std::string& name : names) {
        CustomActions stored = ReadCustomActions(registry, name);
        records_.push_back({name, stored, stored});
    }
}

CustomActionsCopy::Record* CustomActionsCopy::Find(const std::string& name) {
    for (Record& record : records_)
        if (SameNameIgnoringCase(record.name, name)) return &record;
    return nullptr;
}

CustomActionsCopy::Record& CustomActionsCopy::Add(const std::string& name) {
    if (Record* found = Find(name)) return *found;
    records_.push_back({name, CustomActions(), CustomActions()});
    return records_.back();
}

bool CustomActionsCopy::Save(platform::RegistryApi& registry) const {
    bool ok = true;
    for (const Record& record : records_) {
        if (record.actions == record.stored) continue;
        ok = WriteCustomActions(registry, record.name, record.actions) && ok;
    }
    return ok;
}
