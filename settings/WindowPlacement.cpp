#include "settings/WindowPlacement.h"

#include <climits>
#include <cstdio>

namespace {
// Leading blanks, an optional sign, then digits up to the first other
// character; no digits give 0 and out-of-range values saturate, as the C
// library's conversion does.
int32_t ToInt(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r'))) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t(INT_MAX) + 1) value = int64_t(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int32_t>(value);
}
}  // namespace

std::string FormatPlacement(const WindowPlacement& w) {
    char text[200];
    std::snprintf(text, sizeof text, "%u|%u|%d|%d|%d|%d|%d|%d|%d|%d|", w.flags, w.showCmd, w.minX,
                  w.minY, w.maxX, w.maxY, w.left, w.top, w.right, w.bottom);
    return text;
}

bool ParsePlacement(const std::string& text, WindowPlacement* w) {
    if (w == nullptr) return false;
    int32_t* fields[10] = {reinterpret_cast<int32_t*>(&w->flags),
                           reinterpret_cast<int32_t*>(&w->showCmd),
                           &w->minX, &w->minY, &w->maxX, &w->maxY,
                           &w->left, &w->top, &w->right, &w->bottom};
    size_t start = 0;
    for (int32_t* field : fields) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) return false;
        *field = ToInt(text.data() + start, text.data() + bar);
        start = bar + 1;
    }
    return true;
}
