#pragma once
// The few things a dialog asks of its controls again and again.
#include <windows.h>

#include <functional>
#include <string>

namespace dialog {

inline bool Checked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

inline void Check(HWND dialog, int id, bool on) {
    ::CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

inline void Enable(HWND dialog, int id, bool on) {
    ::EnableWindow(::GetDlgItem(dialog, id), on);
}

// A control's whole text, however long.
std::string TextOf(HWND dialog, int id);
// The text of a combo box's chosen entry; empty without one.
std::string ComboText(HWND combo);

// Runs `fill` once, just before the control is first used: focused, turned
// by the wheel or dropped down. A list that is costly to make and seldom
// opened is then made only for the user who opens it.
void FillBeforeFirstUse(HWND control, std::function<void()> fill);

}  // namespace dialog
