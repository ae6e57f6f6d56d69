#include "ui/CChangeActionsPage.h"

#include <commctrl.h>

#include "framework/FileDialog.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/DialogControls.h"
#include "toolkit/ListCtrlSupport.h"

using dialog::Check;
using dialog::Checked;
using dialog::Enable;

CChangeActionsPage::CChangeActionsPage(const Resources& resources)
    : CPropertyPage(resources, IDD_SETTINGS_ACTIONS) {}

bool CChangeActionsPage::CreateParts() {
    return CreateButtonBar(Res(), logBar_, m_hWnd, IDC_SETTINGS_BUTTON_BAR, IDR_LOG_BAR);
}

bool CChangeActionsPage::Show(SettingsStore& store) {
    if (!store.OpenLogFile()) return false;
    actions_.logPath = store.ReadLogFilePath();
    actions_.logging = !actions_.logPath.empty();
    actions_.autoDelete = actions_.logging && store.Read(settings::kAutoDelete) != 0;
    actions_.showChanges = store.Read(settings::kShowServiceChanges) != 0;
    actions_.beep = store.Read(settings::kMessageBeep) != 0;
    ShowControls();
    return true;
}

void CChangeActionsPage::ReadControls() {
    actions_.showChanges = Checked(m_hWnd, IDC_SETTINGS_SHOW_CHANGES);
    actions_.beep = Checked(m_hWnd, IDC_SETTINGS_BEEP);
    actions_.logging = Checked(m_hWnd, IDC_SETTINGS_LOGGING);
    actions_.logPath = dialog::TextOf(m_hWnd, IDC_SETTINGS_LOG_PATH);
    actions_.autoDelete = Checked(m_hWnd, IDC_SETTINGS_AUTO_DELETE);
}

void CChangeActionsPage::ShowControls() {
    Check(m_hWnd, IDC_SETTINGS_SHOW_CHANGES, actions_.showChanges);
    Check(m_hWnd, IDC_SETTINGS_BEEP, actions_.beep);
    Check(m_hWnd, IDC_SETTINGS_LOGGING, actions_.logging);
    ::SetDlgItemTextA(m_hWnd, IDC_SETTINGS_LOG_PATH, actions_.logPath.c_str());
    Check(m_hWnd, IDC_SETTINGS_AUTO_DELETE, actions_.autoDelete);
    for (int id : {IDC_SETTINGS_SHOW_CHANGES, IDC_SETTINGS_BEEP, IDC_SETTINGS_LOGGING})
        Enable(m_hWnd, id, !actions_.comparisonOff);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SETTINGS_COMPARISON_OFF),
                 actions_.comparisonOff ? SW_SHOW : SW_HIDE);
    for (int id : {IDC_SETTINGS_LOG_PATH, IDC_SETTINGS_AUTO_DELETE})
        Enable(m_hWnd, id, actions_.logging);
    if (logBar_.Hwnd())
        ::SendMessageA(logBar_.Hwnd(), TB_ENABLEBUTTON, ID_LOG_CHOOSE, actions_.logging);
}

void CChangeActionsPage::ApplyComparison(bool on) {
    ReadControls();
    actions_.SetComparison(on);
    ShowControls();
}

bool CChangeActionsPage::WriteChoices(SettingsStore& store) {
    bool written = store.Write(settings::kShowServiceChanges, actions_.showChanges);
    return store.Write(settings::kMessageBeep, actions_.beep) && written;
}

bool CChangeActionsPage::WriteLog(SettingsStore& store) {
    return store.OpenLogFile() && store.WriteLogFilePath(actions_.logPath) &&
           store.Write(settings::kAutoDelete, actions_.autoDelete);
}

void CChangeActionsPage::ChooseLogFile() {
    std::string path = dialog::TextOf(m_hWnd, IDC_SETTINGS_LOG_PATH);
    if (path.empty()) path = Res().LoadText(IDS_LOG_DEFAULT_NAME);
    if (ChooseFile(::GetParent(m_hWnd), Res().LoadText(IDS_LOG_FILTER), path, "log", true, &path))
        ::SetDlgItemTextA(m_hWnd, IDC_SETTINGS_LOG_PATH, path.c_str());
}

LRESULT CChangeActionsPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The warning that comparison is off, in red; in the system's colours
    // under high contrast.
    if (msg == WM_CTLCOLORSTATIC && !listctrl::HighContrast() &&
        ::GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_SETTINGS_COMPARISON_OFF) {
        auto dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, RGB(255, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    if (msg == WM_NOTIFY && Res().AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
    if (msg == WM_COMMAND && LOWORD(wp) == ID_LOG_CHOOSE) {
        ChooseLogFile();
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDC_SETTINGS_LOGGING && HIWORD(wp) == BN_CLICKED) {
        ReadControls();
        actions_.ApplyLogging();
        ShowControls();
        return 0;
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
