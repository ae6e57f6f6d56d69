#pragma once
// The order a click on a column title gives a list, decided on the cell
// texts alone: byte order, no locale, no numbers or dates.
#include <string>
#include <vector>

// Byte order of the cell texts, as unsigned characters: -1, 0 or 1.
int CompareCells(const std::string& a, const std::string& b);
// A click sorts descending only a column that is ascending now.
bool SortDescending(const std::vector<std::string>& column);
// The rows of `column` in their sorted order, as indexes of the rows as
// they stand; rows with equal texts keep their order.
std::vector<int> SortOrder(const std::vector<std::string>& column, bool descending);
