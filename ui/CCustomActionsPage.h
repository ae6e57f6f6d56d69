#pragma once
// The page of a service's custom actions, hosted by the properties and the
// settings dialogs. The two opposite boxes clear each other.
#include "settings/CustomActions.h"
#include "toolkit/CPropertyPage.h"

class CCustomActionsPage : public CPropertyPage {
public:
    explicit CCustomActionsPage(const Resources& resources);

    // The log box can be checked only while a history log is open.
    void Show(const CustomActions& actions, bool logOpen);
    CustomActions Chosen() const;

protected:
    bool OnCommand(UINT id) override;
};
