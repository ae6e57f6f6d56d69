#include "ui/CServiceActionsPage.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "res/resource.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/DialogControls.h"
#include "ui/CAddServiceDlg.h"

CServiceActionsPage::CServiceActionsPage(const Resources& resources,
                                         platform::RegistryApi& registry,
                                         ServicesDocument* document)
    : CPropertyPage(resources, IDD_SETTINGS_CUSTOM),
      registry_(registry),
      document_(document),
      boxes_(resources) {}

bool CServiceActionsPage::CreateParts() {
    if (!boxes_.CreateOver(m_hWnd, ::GetDlgItem(m_hWnd, IDC_SETTINGS_PAGE_AREA))) return false;
    ::ShowWindow(boxes_.GetSafeHwnd(), SW_SHOW);
    return CreateButtonBar(Res(), bar_, m_hWnd, IDC_SETTINGS_BUTTON_BAR, IDR_ACTIONS_BAR);
}

void CServiceActionsPage::Load() {
    ::SendMessageA(Combo(), CB_RESETCONTENT, 0, 0);
    shownService_.clear();
    copy_.Load(registry_);
    for (const CustomActionsCopy::Record& record : copy_.Records())
        ::SendMessageA(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.name.c_str()));
    ::SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
    ShowChosenService();
}

// The boxes go back into the record shown until now before another shows.
void CServiceActionsPage::ShowChosenService() {
    if (CustomActionsCopy::Record* shown =
            shownService_.empty() ? nullptr : copy_.Find(shownService_))
        shown->actions = boxes_.Chosen();
    std::string name = dialog::ComboText(Combo());
    CustomActionsCopy::Record* record = name.empty() ? nullptr : copy_.Find(name);
    shownService_ = record ? record->name : std::string();
    // The log's box goes with the others: logging may be switched on in this
    // very dialog, so whether a log is open now does not matter here.
    boxes_.Show(record ? record->actions : CustomActions(), true);
    for (int id : {IDC_ACTIONS_ALWAYS_RUNNING, IDC_ACTIONS_ALWAYS_STOPPED,
                   IDC_ACTIONS_DISABLE_NOTIFY, IDC_ACTIONS_DISABLE_LOG})
        dialog::Enable(boxes_.GetSafeHwnd(), id, record != nullptr);
    ::SendMessageA(bar_.Hwnd(), TB_ENABLEBUTTON, ID_ACTIONS_DELETE, record != nullptr);
}

void CServiceActionsPage::AddService() {
    CAddServiceDlg dialog(Res(), document_, ::GetParent(m_hWnd));
    if (dialog.DoModal() != IDOK) return;
    const std::string name = copy_.Add(dialog.name).name;
    LRESULT at = ::SendMessageA(Combo(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(name.c_str()));
    if (at == CB_ERR)
        at = ::SendMessageA(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    ShowChosenService();
}

void CServiceActionsPage::DeleteActions() {
    int selected = static_cast<int>(::SendMessageA(Combo(), CB_GETCURSEL, 0, 0));
    CustomActionsCopy::Record* record = shownService_.empty() ? nullptr : copy_.Find(shownService_);
    if (!record || selected < 0) return;
    record->actions = CustomActions();
    ::SendMessageA(Combo(), CB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    shownService_.clear();
    ::SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
    ShowChosenService();
}

bool CServiceActionsPage::Save() {
    ShowChosenService();
    return copy_.Save(registry_);
}

LRESULT CServiceActionsPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && Res().AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
    if (msg != WM_COMMAND) return CPropertyPage::WindowProc(msg, wp, lp);
    switch (LOWORD(wp)) {
        case IDC_SETTINGS_SERVICE:
            if (HIWORD(wp) != CBN_SELCHANGE) break;
            ShowChosenService();
            return 0;
        case ID_ACTIONS_ADD:
            AddService();
            return 0;
        case ID_ACTIONS_DELETE:
            DeleteActions();
            return 0;
        default:
            break;
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
