#pragma once
// The settings' page of what a detected change does: the changes window,
// the sound, and the history log with its file. While comparison is off
// the three are cleared and disabled, and come back as they were.
#include "framework/ToolBar.h"
#include "settings/SettingsPages.h"
#include "settings/SettingsStore.h"
#include "toolkit/CPropertyPage.h"

class CChangeActionsPage : public CPropertyPage {
public:
    explicit CChangeActionsPage(const Resources& resources);
    // Makes the page's button bar; false when it cannot be made.
    bool CreateParts();
    // False when the log's settings cannot be read (the page stays empty).
    bool Show(SettingsStore& store);
    // Comparison switched on or off on the comparison page.
    void ApplyComparison(bool on);
    // Each false when a value was refused.
    bool WriteChoices(SettingsStore& store);
    bool WriteLog(SettingsStore& store);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ReadControls();
    void ShowControls();
    void ChooseLogFile();

    ActionsPage actions_;
    ToolBar logBar_;
};
