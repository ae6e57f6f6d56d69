#pragma once
// The settings' comparison page: the period of the watch (none switches it
// off) and whether a change is any field or the state alone.
#include "settings/SettingsStore.h"
#include "toolkit/CPropertyPage.h"

class CComparisonPage : public CPropertyPage {
public:
    explicit CComparisonPage(const Resources& resources);
    void Show(SettingsStore& store);
    // The period's index in the list; below 0 for none chosen.
    int PeriodIndex() const;
    // Each false when its value was refused.
    bool WriteCompareType(SettingsStore& store);
    bool WritePeriod(SettingsStore& store);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ApplyPeriodRule();
};
