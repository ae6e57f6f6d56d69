#include "toolkit/ListCtrlSupport.h"

#include <commctrl.h>

#include <cstring>

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "framework/Dpi.h"
#include "views/ColumnSort.h"

namespace listctrl {

namespace {
const int kMarginAt100 = 25;
int Margin() {
    return dpi::Scale(kMarginAt100);
}
const int kTitleLength = 80;  // at most 79 characters of a title are read
}  // namespace

// The control says only how much it copied; a text that filled the buffer
// may go on, so it is read again into a larger one.
std::string CellText(HWND list, int row, int column) {
    std::string buffer(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = &buffer[0];
        item.cchTextMax = static_cast<int>(buffer.size());
        auto length = static_cast<size_t>(
            ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(::strnlen(buffer.c_str(), length));
            return buffer;
        }
        buffer.assign(buffer.size() * 4, '\0');
    }
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
    // Many cells of a column repeat a text (a state, a start type): each
    // text is measured once.
    std::unordered_set<std::string> measured;
    for (int c = first; c < columns; ++c) {
        int width = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
        if (width <= 0) continue;
        if (reset) width = Margin();
        measured.clear();
        auto widen = [&](const std::string& text) {
            if (!measured.insert(text).second) return;
            int w = static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                    reinterpret_cast<LPARAM>(text.c_str()))) +
                    Margin();
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

void RowFonts::Prepare(HDC dc) {
    if (normal_ && bold_) return;
    LOGFONTA font{};
    HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
    if (!current || !::GetObjectA(current, sizeof font, &font)) return;
    font.lfWeight = FW_NORMAL;
    normal_.reset(::CreateFontIndirectA(&font));
    font.lfWeight = FW_BOLD;
    bold_.reset(::CreateFontIndirectA(&font));
}

TextWidths::TextWidths(HWND list) : dc_(::CreateCompatibleDC(nullptr)) {
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(list, WM_GETFONT, 0, 0));
    if (!font) font = ::GetStockObject(DEFAULT_GUI_FONT);
    if (!dc_) return;
    font_ = std::make_unique<SelectedObject>(dc_.get(), font);
    CPINFO codePage{};
    byAdvances_ = ::GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize == 1 &&
                  ::GetCharWidth32A(dc_.get(), 0, 255, advance_);
}

int TextWidths::Width(std::string_view text) const {
    if (byAdvances_) {
        int width = 0;
        for (unsigned char c : text) width += advance_[c];
        return width;
    }
    SIZE size{};
    if (!dc_ ||
        !::GetTextExtentPoint32A(dc_.get(), text.data(), static_cast<int>(text.size()), &size))
        return 0;
    return size.cx;
}

int SelectedRow(HWND list) {
    return static_cast<int>(
        ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void InsertColumn(HWND list, int column, const std::string& title, int width) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.pszText = const_cast<char*>(title.c_str());
    c.cx = dpi::Scale(width);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&c));
}

int InsertRow(HWND list, int row, const std::string& text, int image, LPARAM data) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | (image >= 0 ? LVIF_IMAGE : 0);
    item.iItem = row;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    item.lParam = data;
    return static_cast<int>(
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool RowData(HWND list, int row, LPARAM* data) {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (row < 0 || !::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return false;
    *data = item.lParam;
    return true;
}

LRESULT DrawCells(NMLVCUSTOMDRAW* draw, RowFonts& fonts,
                  const std::function<bool(const NMLVCUSTOMDRAW& cell, CellLook* look)>& lookOf) {
    fonts.Prepare(draw->nmcd.hdc);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return HighContrast() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            CellLook look;
            if (!lookOf(*draw, &look)) return CDRF_DODEFAULT;
            draw->clrText = look.text;
            if (look.background != CLR_DEFAULT) draw->clrTextBk = look.background;
            HFONT font = look.bold ? fonts.Bold() : fonts.Normal();
            if (font) ::SelectObject(draw->nmcd.hdc, font);
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

bool HighContrast() {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void WidenColumn(HWND list, int column, int width) {
    int current = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    if (current <= 0) return;
    if (width + Margin() > current)
        ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, width + Margin());
}

namespace {
// Called by the control: it must not throw, and a row it does not know
// (added while sorting) stays where it is.
int CALLBACK ByRank(LPARAM a, LPARAM b, LPARAM ranks) noexcept {
    const auto& rank = *reinterpret_cast<const std::unordered_map<LPARAM, int>*>(ranks);
    auto first = rank.find(a), second = rank.find(b);
    if (first == rank.end() || second == rank.end()) return 0;
    return first->second - second->second;
}
}  // namespace

void SortByColumn(HWND list, int column) {
    int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::string> texts;
    std::vector<LPARAM> data;
    for (int r = 0; r < rows; ++r) {
        texts.push_back(CellText(list, r, column));
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = r;
        ::SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        data.push_back(item.lParam);
    }
    std::vector<int> order = SortOrder(texts, SortDescending(texts));
    std::unordered_map<LPARAM, int> rank;
    for (size_t i = 0; i < order.size(); ++i)
        rank.emplace(data[static_cast<size_t>(order[i])], static_cast<int>(i));
    if (rank.size() != data.size()) return;  // rows alike: the control could not tell them apart
    ::SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank),
                   reinterpret_cast<LPARAM>(&ByRank));
}

}  // namespace listctrl
