#pragma once
// Helpers for report-style list controls: cell texts, columns sized to
// their contents, and sorting by a click on a column title.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/win32/Handles.h"

namespace listctrl {

// The width of texts in a list's font, measured on a device context of its
// own: asking the list costs a device context per text.
class TextWidths {
public:
    explicit TextWidths(HWND list);
    int Width(std::string_view text) const;

private:
    MemoryDC dc_;
    std::unique_ptr<SelectedObject> font_;
    // In a code page of one byte per character a text is as wide as its
    // characters' advances together: thousands of texts cost no call each.
    int advance_[256] = {};
    bool byAdvances_ = false;
};

// A column at `column` with its title, `width` pixels wide at 100 % (scaled
// to the display).
void InsertColumn(HWND list, int column, const std::string& title, int width);
// A row at `row` whose first cell is `text`, with its picture of the list's
// images (-1 for none) and its item data; the row it took, -1 on failure.
int InsertRow(HWND list, int row, const std::string& text, int image = -1, LPARAM data = 0);

std::string CellText(HWND list, int row, int column);
// The selected row, -1 for none.
int SelectedRow(HWND list);
// The item data of `row`, which names what the row stands for; false when
// there is no such row.
bool RowData(HWND list, int row, LPARAM* data);
void SetCellText(HWND list, int row, int column, const std::string& text);
int ColumnCount(HWND list);
// Each column from `first` on grows to its widest cell or title plus a
// margin; with `reset` it may also shrink to that. Columns of width 0 or
// less are left alone.
void AutoSizeColumns(HWND list, int first, bool reset);
// A list's font at normal and bold weight, made from the font its drawing
// context holds the first time it draws: custom drawing picks per cell.
class RowFonts {
public:
    // Makes the two fonts unless they exist; tries again at the next
    // drawing when the context's font cannot be read.
    void Prepare(HDC dc);
    HFONT Normal() const { return normal_.get(); }
    HFONT Bold() const { return bold_.get(); }

private:
    Font normal_, bold_;
};

// How one cell is drawn: its text's colour, its background (CLR_DEFAULT:
// as the list has it) and the bold or normal form of the list's font.
struct CellLook {
    COLORREF text = 0;
    COLORREF background = CLR_DEFAULT;
    bool bold = false;
};
// Answers a list's custom drawing (NM_CUSTOMDRAW) cell by cell: `lookOf`
// tells each cell's look, or false for a cell drawn as the list draws it.
// In the system's high-contrast mode every cell is drawn as the list draws
// it, in the system's colours; asked at each paint, so that a switch of
// mode shows at the next one.
LRESULT DrawCells(NMLVCUSTOMDRAW* draw, RowFonts& fonts,
                  const std::function<bool(const NMLVCUSTOMDRAW& cell, CellLook* look)>& lookOf);

// Widens `column` when a text `width` wide (with the room a picture or a
// bold font needs counted in) does not fit, as AutoSizeColumns would for
// that text alone: a row added to a long list costs its own texts only.
void WidenColumn(HWND list, int column, int width);
// Whether the system's high-contrast mode is on.
bool HighContrast();
// Sorts the rows by the texts of `column`: descending when they are
// ascending already, ascending otherwise; equal texts keep their order.
// The control moves its rows itself, so every row's item data must be its
// own (no two rows alike).
void SortByColumn(HWND list, int column);

}  // namespace listctrl
