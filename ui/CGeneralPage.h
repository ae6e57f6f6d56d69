#pragma once
// The settings' first page: the notification-area icon and its two
// options, start at logon, the remembered placement and the changes
// window's independence.
#include <string>

#include "settings/SettingsStore.h"
#include "toolkit/CPropertyPage.h"

class CGeneralPage : public CPropertyPage {
public:
    explicit CGeneralPage(const Resources& resources);
    void Show(SettingsStore& store, const std::string& launchPath);
    // False when a value was refused; the others are written all the same.
    bool Write(SettingsStore& store, const std::string& launchPath);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // The icon's two options go with it; `clear` also clears them.
    void ApplyIconRule(bool clear);
};
