#include "views/ColumnSort.h"

#include <algorithm>
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
        if (order == 0)
            order = c;
        else if (c != order)
            return false;  // not ordered: sort ascending
    }
    return order == -1;
}

std::vector<int> SortOrder(const std::vector<std::string>& column, bool descending) {
    std::vector<int> order(column.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        int c = CompareCells(column[static_cast<size_t>(a)], column[static_cast<size_t>(b)]);
        return descending ? c > 0 : c < 0;
    });
    return order;
}
