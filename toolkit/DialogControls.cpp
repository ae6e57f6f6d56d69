#include "toolkit/DialogControls.h"

// after windows.h, which it needs
#include <commctrl.h>

#include "framework/Wnd.h"

namespace dialog {

std::string TextOf(HWND dialog, int id) {
    return WindowText(::GetDlgItem(dialog, id));
}

std::string ComboText(HWND combo) {
    int index = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    if (index < 0) return std::string();
    LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length <= 0) return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = ::SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

namespace {

const UINT_PTR kFillId = 0x46494c4c;

LRESULT CALLBACK FillFirst(HWND control, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    bool use = msg == WM_SETFOCUS || msg == WM_MOUSEWHEEL || msg == CB_SHOWDROPDOWN;
    if (use || msg == WM_NCDESTROY) {
        auto* fill = reinterpret_cast<std::function<void()>*>(data);
        ::RemoveWindowSubclass(control, FillFirst, kFillId);
        if (use)
            Guarded(nullptr, msg, false, [&] {
                (*fill)();
                return true;
            });
        delete fill;
    }
    return ::DefSubclassProc(control, msg, wp, lp);
}

}  // namespace

void FillBeforeFirstUse(HWND control, std::function<void()> fill) {
    auto* held = new std::function<void()>(std::move(fill));
    if (!::SetWindowSubclass(control, FillFirst, kFillId, reinterpret_cast<DWORD_PTR>(held))) {
        (*held)();
        delete held;
    }
}

}  // namespace dialog
