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

// Show commands, with the platform's values.
namespace show_command {
constexpr uint32_t kHide = 0;
constexpr uint32_t kNormal = 1;
constexpr uint32_t kMinimized = 2;
constexpr uint32_t kMaximized = 3;
constexpr uint32_t kShow = 5;
constexpr uint32_t kMinimize = 6;
constexpr uint32_t kMinNoActive = 7;
constexpr uint32_t kForceMinimize = 11;
}  // namespace show_command

// The show command a stored placement is applied with: minimised and
// maximised stay; hidden, or anything else, would leave the window out of
// reach, so it counts as normal.
uint32_t RestorableShowCommand(uint32_t stored);
// What the program's window starts with: the start's own command when it
// asks for a minimised or maximised window (a shortcut set so), else `usual`.
uint32_t StartShowCommand(uint32_t started, uint32_t usual);

struct ScreenRect {
    int32_t left, top, right, bottom;
};
// `rect` moved, and cut down only where it is larger, to lie within `area`.
ScreenRect MoveInto(ScreenRect rect, const ScreenRect& area);
