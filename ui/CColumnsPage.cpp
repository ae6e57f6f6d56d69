#include "ui/CColumnsPage.h"

#include <commctrl.h>

#include <vector>

#include "framework/Resources.h"
#include "res/resource.h"
#include "toolkit/ListCtrlSupport.h"
#include "views/ServiceListModel.h"

CColumnsPage::CColumnsPage(const Resources& resources)
    : CPropertyPage(resources, IDD_SETTINGS_COLUMNS) {}

void CColumnsPage::Show(SettingsStore& store) {
    HWND list = List();
    listctrl::InsertColumn(list, 0, std::string(), 100);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES,
                   LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    for (int column = 0; column < settings::kColumnCount; ++column) {
        listctrl::InsertRow(list, column, Res().LoadText(ColumnTitleId(column)), 0);
        ListView_SetCheckState(list, column, column == 0 || store.IsColumnVisible(column));
    }
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
}

bool CColumnsPage::Write(SettingsStore& store) {
    std::vector<bool> visible;
    for (int column = 0; column < settings::kColumnCount; ++column)
        visible.push_back(column == 0 || ListView_GetCheckState(List(), column));
    return store.SetColumnsVisible(visible);
}

LRESULT CColumnsPage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (msg != WM_NOTIFY || header->idFrom != IDC_SETTINGS_LIST)
        return CPropertyPage::WindowProc(msg, wp, lp);
    if (header->code == LVN_ITEMCHANGED) {
        // "Nombre" is always shown: a change of its row is undone at once.
        auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
        if (change->iItem == 0 && (change->uChanged & LVIF_STATE) &&
            !ListView_GetCheckState(header->hwndFrom, 0))
            ListView_SetCheckState(header->hwndFrom, 0, TRUE);
        return 0;
    }
    if (header->code == NM_CUSTOMDRAW) {
        // Its row in grey, as a box that cannot be changed.
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec == 0)
            draw->clrText =
                listctrl::HighContrast() ? ::GetSysColor(COLOR_GRAYTEXT) : RGB(160, 160, 160);
        return CDRF_DODEFAULT;
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
