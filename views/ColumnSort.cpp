#include "views/ColumnSort.h"

#include <cstring>

int CompareCells(const std::string& a, const std::string& b) {
    int c = std::strcmp(a.c_str(), b.c_str());  // strcmp compares as unsigned char
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

bool SortDescending(const std::vector<std::string>& column) {
    int order = 0;
    for (size_t i = 1; i < column.size(); ++i) {
        int c = CompareCells(column[i - 1], column[i]);
        if (c == 0) continue;
        if (order == 0) order = c;
        else if (c != order) return false;  // not ordered: sort ascending
    }
    return order == -1;
}

std::vector<std::pair<int, int>> SortSwaps(std::vector<std::string> column, bool descending) {
    std::vector<std::pair<int, int>> swaps;
    int n = static_cast<int>(column.size());
    for (int i = 0; i < n; ++i) {
        int best = i;
        for (int j = i + 1; j < n; ++j) {
            int c = CompareCells(column[j], column[best]);
            if (descending ? c > 0 : c < 0) best = j;
        }
        if (best != i) {
            std::swap(column[i], column[best]);
            swaps.emplace_back(i, best);
        }
    }
    return swaps;
}
