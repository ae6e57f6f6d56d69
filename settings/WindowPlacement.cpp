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
                           &w->minX,
                           &w->minY,
                           &w->maxX,
                           &w->maxY,
                           &w->left,
                           &w->top,
                           &w->right,
                           &w->bottom};
    size_t start = 0;
    for (int32_t* field : fields) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos) return false;
        *field = ToInt(text.data() + start, text.data() + bar);
        start = bar + 1;
    }
    return true;
}

uint32_t RestorableShowCommand(uint32_t stored) {
    using namespace show_command;
    return stored == kMinimized || stored == kMaximized ? stored : kNormal;
}

uint32_t StartShowCommand(uint32_t started, uint32_t usual) {
    using namespace show_command;
    switch (started) {
        case kMinimized:
        case kMaximized:
        case kMinimize:
        case kMinNoActive:
        case kForceMinimize:
            return started;
        default:
            return usual;
    }
}

namespace {
// One axis: the span keeps its length when it fits, and starts no earlier
// than the area and ends no later.
void Fit(int32_t* low, int32_t* high, int32_t areaLow, int32_t areaHigh) {
    int64_t length = int64_t(*high) - *low;
    int64_t room = int64_t(areaHigh) - areaLow;
    if (length > room) length = room;
    if (length < 0) length = 0;
    int64_t start = *low;
    if (start + length > areaHigh) start = areaHigh - length;
    if (start < areaLow) start = areaLow;
    *low = static_cast<int32_t>(start);
    *high = static_cast<int32_t>(start + length);
}
}  // namespace

ScreenRect MoveInto(ScreenRect rect, const ScreenRect& area) {
    Fit(&rect.left, &rect.right, area.left, area.right);
    Fit(&rect.top, &rect.bottom, area.top, area.bottom);
    return rect;
}
