#pragma once
// The settings' columns page: which columns the services list shows. The
// name is always shown.
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/CPropertyPage.h"

class CColumnsPage : public CPropertyPage {
public:
    explicit CColumnsPage(const Resources& resources);
    void Show(SettingsStore& store);
    // False when a column was refused; the others are written all the same.
    bool Write(SettingsStore& store);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND List() const { return ::GetDlgItem(m_hWnd, IDC_SETTINGS_LIST); }
};
