#pragma once
// The order a click on a column title gives a list, decided on the cell
// texts alone: byte order, no locale, no numbers or dates.
#include <string>
#include <utility>
#include <vector>

// Byte order of the cell texts, as unsigned characters: -1, 0 or 1.
int CompareCells(const std::string& a, const std::string& b);
// A click sorts descending only a column that is ascending now.
bool SortDescending(const std::vector<std::string>& column);
// The row swaps of a selection sort of `column`, in the order to apply them.
std::vector<std::pair<int, int>> SortSwaps(std::vector<std::string> column, bool descending);
