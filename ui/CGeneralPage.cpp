#include "ui/CGeneralPage.h"

#include "res/resource.h"
#include "toolkit/DialogControls.h"

using dialog::Check;
using dialog::Checked;

CGeneralPage::CGeneralPage(const Resources& resources)
    : CPropertyPage(resources, IDD_SETTINGS_GENERAL) {}

void CGeneralPage::Show(SettingsStore& store, const std::string& launchPath) {
    Check(m_hWnd, IDC_SETTINGS_TRAY_ICON, store.Read(settings::kShowTrayIcon) != 0);
    Check(m_hWnd, IDC_SETTINGS_HIDE_ON_MINIMIZE, store.Read(settings::kHideOnMinimize) != 0);
    Check(m_hWnd, IDC_SETTINGS_RUN_MINIMIZED, store.Read(settings::kRunMinimized) != 0);
    Check(m_hWnd, IDC_SETTINGS_START_AT_LOGON, store.IsStartAtLogon(launchPath));
    Check(m_hWnd, IDC_SETTINGS_REMEMBER_PLACEMENT, store.Read(settings::kRememberPlacement) != 0);
    Check(m_hWnd, IDC_SETTINGS_INDEPENDENT, store.Read(settings::kIndependentWindow) != 0);
    ApplyIconRule(false);
}

void CGeneralPage::ApplyIconRule(bool clear) {
    bool tray = Checked(m_hWnd, IDC_SETTINGS_TRAY_ICON);
    for (int id : {IDC_SETTINGS_HIDE_ON_MINIMIZE, IDC_SETTINGS_RUN_MINIMIZED}) {
        dialog::Enable(m_hWnd, id, tray);
        if (clear && !tray) Check(m_hWnd, id, false);
    }
}

bool CGeneralPage::Write(SettingsStore& store, const std::string& launchPath) {
    bool written = true;
    auto write = [&](const settings::DwordValue& value, int control) {
        written = store.Write(value, Checked(m_hWnd, control)) && written;
    };
    write(settings::kShowTrayIcon, IDC_SETTINGS_TRAY_ICON);
    write(settings::kHideOnMinimize, IDC_SETTINGS_HIDE_ON_MINIMIZE);
    write(settings::kRunMinimized, IDC_SETTINGS_RUN_MINIMIZED);
    written =
        store.SetStartAtLogon(Checked(m_hWnd, IDC_SETTINGS_START_AT_LOGON), launchPath) && written;
    write(settings::kRememberPlacement, IDC_SETTINGS_REMEMBER_PLACEMENT);
    write(settings::kIndependentWindow, IDC_SETTINGS_INDEPENDENT);
    return written;
}

LRESULT CGeneralPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDC_SETTINGS_TRAY_ICON && HIWORD(wp) == BN_CLICKED) {
        ApplyIconRule(true);
        return 0;
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
