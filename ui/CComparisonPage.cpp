#include "ui/CComparisonPage.h"

#include "res/resource.h"
#include "settings/SettingsPages.h"
#include "toolkit/DialogControls.h"

using dialog::Check;
using dialog::Checked;

CComparisonPage::CComparisonPage(const Resources& resources)
    : CPropertyPage(resources, IDD_SETTINGS_COMPARISON) {}

void CComparisonPage::Show(SettingsStore& store) {
    bool stateOnly = store.Read(settings::kCompareType) != 0;
    Check(m_hWnd, IDC_SETTINGS_COMPARE_ALL, !stateOnly);
    Check(m_hWnd, IDC_SETTINGS_COMPARE_STATE, stateOnly);
    // A DWORD: its high values are long periods, not negative ones.
    int index = PeriodIndexOf(static_cast<uint32_t>(store.Read(settings::kCompareTimer)));
    ::SendDlgItemMessageA(m_hWnd, IDC_SETTINGS_PERIOD, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ApplyPeriodRule();
}

int CComparisonPage::PeriodIndex() const {
    return static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_SETTINGS_PERIOD, CB_GETCURSEL, 0, 0));
}

// What a change is matters only while there is a watch.
void CComparisonPage::ApplyPeriodRule() {
    bool on = PeriodIndex() > 0;
    dialog::Enable(m_hWnd, IDC_SETTINGS_COMPARE_ALL, on);
    dialog::Enable(m_hWnd, IDC_SETTINGS_COMPARE_STATE, on);
}

bool CComparisonPage::WriteCompareType(SettingsStore& store) {
    return store.Write(settings::kCompareType, Checked(m_hWnd, IDC_SETTINGS_COMPARE_STATE));
}

bool CComparisonPage::WritePeriod(SettingsStore& store) {
    return store.Write(settings::kCompareTimer, static_cast<int>(PeriodAt(PeriodIndex())));
}

LRESULT CComparisonPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDC_SETTINGS_PERIOD && HIWORD(wp) == CBN_SELCHANGE) {
        ApplyPeriodRule();
        return 0;
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
