#include "ui/CSettingsDlg.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"

namespace {
const int kDialogIcon = 21;
const int kTabImages[CSettingsDlg::kPages] = {22, 23, 25, 24, 10, 15};
}  // namespace

CSettingsDlg::CSettingsDlg(AppContext& context, ServicesDocument* document, int initialPage,
                           HWND parent)
    : CDialog(context.resources, IDD_SETTINGS, parent),
      context_(context),
      initialPage_(initialPage >= 0 && initialPage < kPages ? initialPage : kGeneral),
      general_(context.resources),
      comparison_(context.resources),
      columns_(context.resources),
      changeActions_(context.resources),
      serviceActions_(context.resources, context.platform.registry, document),
      language_(context) {}

CPropertyPage& CSettingsDlg::PageAt(int page) {
    CPropertyPage* pages[kPages] = {&general_,       &comparison_,     &columns_,
                                    &changeActions_, &serviceActions_, &language_};
    return *pages[page >= 0 && page < kPages ? page : 0];
}

bool CSettingsDlg::OnInitDialog() {
    SettingsStore store(context_.platform.registry);
    if (!store.OpenConfiguration()) {
        ShowMessage(m_hWnd, Res().LoadText(IDS_REGISTRY_ERROR), MB_OK | MB_ICONSTOP);
        EndDialog(IDCANCEL);
        return false;
    }
    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    icon_ = Res().SetDialogIcons(m_hWnd, images_.get(), kDialogIcon, true);
    tabbed::AddTabs(
        ::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS), images_.get(), kPages,
        [this](int page) { return Res().LoadText(IDS_SETTINGS_TAB_BASE + page); },
        [](int page) { return kTabImages[page]; });
    pageKeys_ = std::make_unique<tabbed::PageKeys>(::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS));
    if (!CreatePages()) {
        EndDialog(IDCANCEL);
        return false;
    }
    general_.Show(store, context_.launchPath);
    comparison_.Show(store);
    columns_.Show(store);
    language_.Fill();
    if (!changeActions_.Show(store)) {
        ShowMessage(m_hWnd, Res().LoadText(IDS_REGISTRY_ERROR), MB_OK | MB_ICONSTOP);
        return true;
    }
    ApplyComparison();
    serviceActions_.Load();
    SelectPage(initialPage_);
    return true;
}

bool CSettingsDlg::CreatePages() {
    return tabbed::CreatePages(m_hWnd, ::GetDlgItem(m_hWnd, IDC_SETTINGS_PAGE_AREA), kPages,
                               [this](int page) -> CPropertyPage& { return PageAt(page); }) &&
           changeActions_.CreateParts() && serviceActions_.CreateParts() && language_.CreateParts();
}

int CSettingsDlg::SelectedPage() const {
    return tabbed::SelectedTab(::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS));
}

// Leaving a page, the comparison it may have switched off or on is applied
// to the actions page; the language page tells its invalid modules once.
void CSettingsDlg::SelectPage(int page) {
    ApplyComparison();
    tabbed::ShowPage(::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS), page, kPages,
                     [this](int other) -> CPropertyPage& { return PageAt(other); });
    if (page != kLanguage) return;
    std::string errors = language_.TakePendingErrors();
    if (!errors.empty()) ShowMessage(m_hWnd, errors, MB_OK | MB_ICONEXCLAMATION);
}

void CSettingsDlg::ApplyComparison() {
    if (changeActions_.GetSafeHwnd()) changeActions_.ApplyComparison(comparison_.PeriodIndex() > 0);
}

void CSettingsDlg::OnOK() {
    if (WriteAll()) EndDialog(IDOK);
}

// In order; what was written before a step that fails stays written, and a
// second OK writes everything again. Every value of a step is written even
// after one is refused; a refusal is said once.
bool CSettingsDlg::WriteAll() {
    ApplyComparison();
    SettingsStore store(context_.platform.registry);
    const std::string registryError = Res().LoadText(IDS_REGISTRY_ERROR);
    if (!store.OpenConfiguration()) {
        ShowMessage(m_hWnd, registryError, MB_OK | MB_ICONSTOP);
        return false;
    }
    bool written = general_.Write(store, context_.launchPath);
    written = comparison_.WriteCompareType(store) && written;
    written = changeActions_.WriteChoices(store) && written;
    written = comparison_.WritePeriod(store) && written;
    written = columns_.Write(store) && written;
    if (!written || !changeActions_.WriteLog(store)) {
        ShowMessage(m_hWnd, registryError, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!serviceActions_.Save()) {
        ShowMessage(m_hWnd, Res().LoadText(IDS_SETTINGS_ACTIONS_FAILED), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!language_.Apply())
        ShowMessage(m_hWnd, Res().LoadText(IDS_SETTINGS_RESTART), MB_OK | MB_ICONINFORMATION);
    return true;
}

LRESULT CSettingsDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (tabbed::IsTabChange(msg, lp, IDC_SETTINGS_TABS)) {
        SelectPage(SelectedPage());
        return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
