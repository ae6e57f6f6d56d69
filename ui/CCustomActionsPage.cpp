#include "ui/CCustomActionsPage.h"

#include "res/resource.h"

namespace {
const int kBoxes[] = {IDC_ACTIONS_ALWAYS_RUNNING, IDC_ACTIONS_ALWAYS_STOPPED,
                      IDC_ACTIONS_DISABLE_NOTIFY, IDC_ACTIONS_DISABLE_LOG};
}

CCustomActionsPage::CCustomActionsPage(const Resources& resources)
    : CPropertyPage(resources, IDD_CUSTOM_ACTIONS) {}

void CCustomActionsPage::Show(const CustomActions& actions, bool logOpen) {
    const bool on[] = {actions.alwaysRunning, actions.alwaysStopped, actions.disableNotify,
                       actions.disableLog};
    for (int i = 0; i < 4; ++i)
        ::CheckDlgButton(m_hWnd, kBoxes[i], on[i] ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACTIONS_DISABLE_LOG), logOpen);
}

CustomActions CCustomActionsPage::Chosen() const {
    auto on = [&](int id) { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; };
    CustomActions actions;
    actions.alwaysRunning = on(IDC_ACTIONS_ALWAYS_RUNNING);
    actions.alwaysStopped = on(IDC_ACTIONS_ALWAYS_STOPPED);
    actions.disableNotify = on(IDC_ACTIONS_DISABLE_NOTIFY);
    actions.disableLog = on(IDC_ACTIONS_DISABLE_LOG);
    return actions;
}

bool CCustomActionsPage::OnCommand(UINT id) {
    if (id != IDC_ACTIONS_ALWAYS_RUNNING && id != IDC_ACTIONS_ALWAYS_STOPPED) return false;
    if (::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED) {
        int other = id == IDC_ACTIONS_ALWAYS_RUNNING ? IDC_ACTIONS_ALWAYS_STOPPED
                                                     : IDC_ACTIONS_ALWAYS_RUNNING;
        ::CheckDlgButton(m_hWnd, other, BST_UNCHECKED);
    }
    return true;
}
