#include "toolkit/ListCtrlSupport.h"

#include <commctrl.h>

#include <vector>

#include "views/ColumnSort.h"

namespace listctrl {

namespace {
const int kMargin = 25;
const int kTitleLength = 80;  // at most 79 characters of a title are read
}  // namespace

std::string CellText(HWND list, int row, int column) {
    char buffer[1024] = "";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int ColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void AutoSizeColumns(HWND list, int first, bool reset) {
    int columns = ColumnCount(list);
    int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int c = first; c < columns; ++c) {
        int width = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
        if (width <= 0) continue;
        if (reset) width = kMargin;
        auto widen = [&](const std::string& text) {
            int w = static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                    reinterpret_cast<LPARAM>(text.c_str()))) +
                    kMargin;
            if (w > width) width = w;
        };
        for (int r = 0; r < rows; ++r) widen(CellText(list, r, c));
        char title[kTitleLength] = "";
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = title;
        column.cchTextMax = sizeof title;
        ::SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
        widen(title);
        ::SendMessageA(list, LVM_SETCOLUMNWIDTH, c, width);
    }
}

void SortByColumn(HWND list, int column) {
    int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> texts;
    for (int r = 0; r < rows; ++r) texts.push_back(CellText(list, r, column));
    for (const auto& swap : SortSwaps(texts, SortDescending(texts)))
        SwapRows(list, swap.first, swap.second);
}

void SwapRows(HWND list, int a, int b) {
    for (int c = 0, columns = ColumnCount(list); c < columns; ++c) {
        std::string ta = CellText(list, a, c), tb = CellText(list, b, c);
        SetCellText(list, a, c, tb);
        SetCellText(list, b, c, ta);
    }
    LVITEMA ia{}, ib{};
    ia.mask = ib.mask = LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    ia.stateMask = ib.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ia.iItem = a;
    ib.iItem = b;
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&ia));
    ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&ib));
    std::swap(ia.iItem, ib.iItem);
    ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&ia));
    ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&ib));
}

}  // namespace listctrl
