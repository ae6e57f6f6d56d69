#pragma once
// Helpers for report-style list controls: cell texts, columns sized to
// their contents, and sorting by a click on a column title.
#include <windows.h>

#include <string>

namespace listctrl {

std::string CellText(HWND list, int row, int column);
void SetCellText(HWND list, int row, int column, const std::string& text);
int ColumnCount(HWND list);
// Each column from `first` on grows to its widest cell or title plus a
// margin; with `reset` it may also shrink to that. Columns of width 0 or
// less are left alone.
void AutoSizeColumns(HWND list, int first, bool reset);
// Widens each column that the texts of `row` do not fit,
// as AutoSizeColumns would for that row alone: a row added to a long list
// costs its own texts only.
// `firstExtra` is room the first column needs beside its text (its picture,
// a bold font).
void WidenColumnsFor(HWND list, int row, int firstExtra = 0);
// Sorts the rows by the texts of `column`: descending when they are
// ascending already, ascending otherwise; equal texts keep their order.
// The control moves its rows itself, so every row's item data must be its
// own (no two rows alike).
void SortByColumn(HWND list, int column);

}  // namespace listctrl
