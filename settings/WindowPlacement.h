#pragma once
// A window's placement (the platform's WINDOWPLACEMENT, field for field) and
// its text form in the settings: ten decimal numbers, each followed by "|".
#include <cstdint>
#include <string>

struct WindowPlacement {
    uint32_t length = 0;  // not stored; the caller sets it
    uint32_t flags = 0;
    uint32_t showCmd = 0;
    int32_t minX = 0, minY = 0;
    int32_t maxX = 0, maxY = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

std::string FormatPlacement(const WindowPlacement& placement);
// Fills the fields in order; false at the first field without its "|"
// (the fields before it stay written). Text after the tenth bar is ignored.
bool ParsePlacement(const std::string& text, WindowPlacement* placement);
