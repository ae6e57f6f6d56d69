#pragma once
// The settings' page of every service's custom actions: a working copy of
// them, one service shown at a time, services added and their actions
// deleted, all written on OK.
#include <string>

#include "document/ServicesDocument.h"
#include "framework/ToolBar.h"
#include "platform/RegistryApi.h"
#include "res/resource.h"
#include "settings/SettingsPages.h"
#include "toolkit/CPropertyPage.h"
#include "ui/CCustomActionsPage.h"

class CServiceActionsPage : public CPropertyPage {
public:
    // `document` lists the services the add-service dialog offers.
    CServiceActionsPage(const Resources& resources, platform::RegistryApi& registry,
                        ServicesDocument* document);
    // Makes the page's boxes and button bar; false when they cannot be made.
    bool CreateParts();
    void Load();
    // The boxes shown go into the copy first; false when a service's
    // actions could not be written (the others are written all the same).
    bool Save();
    HWND ActionsWindow() const { return boxes_.GetSafeHwnd(); }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ShowChosenService();
    void AddService();
    void DeleteActions();
    HWND Combo() const { return ::GetDlgItem(m_hWnd, IDC_SETTINGS_SERVICE); }

    platform::RegistryApi& registry_;
    ServicesDocument* document_;
    CCustomActionsPage boxes_;
    ToolBar bar_;
    CustomActionsCopy copy_;
    std::string shownService_;  // whose actions the boxes show; empty for none
};
