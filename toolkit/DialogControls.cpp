#include "toolkit/DialogControls.h"

namespace dialog {

std::string TextOf(HWND dialog, int id) {
    HWND control = ::GetDlgItem(dialog, id);
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextA(control, &text[0], static_cast<int>(text.size()))));
    return text;
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

}  // namespace dialog
