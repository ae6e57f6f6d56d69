#include "toolkit/SearchBox.h"

#include <commctrl.h>

#include <vector>

bool CSearchBox::Create(HWND parent, UINT id, const std::string& label, const std::string& cue) {
    // The label first: screen readers name a control by the text before it.
    label_ = ::CreateWindowExA(0, "STATIC", label.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0,
                               0, 0, 0, parent, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!label_ ||
        !CreateEx(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                  0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    auto font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    ::SendMessageA(label_, WM_SETFONT, font, FALSE);
    SendMessage(WM_SETFONT, font, FALSE);
    // The cue is a wide text: the code page's text converted.
    int length = ::MultiByteToWideChar(CP_ACP, 0, cue.c_str(), -1, nullptr, 0);
    if (length > 0) {
        std::vector<wchar_t> wide(static_cast<size_t>(length));
        ::MultiByteToWideChar(CP_ACP, 0, cue.c_str(), -1, wide.data(), length);
        SendMessage(EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(wide.data()));
    }
    return true;
}

void CSearchBox::Focus() {
    ::SetFocus(m_hWnd);
    SendMessage(EM_SETSEL, 0, -1);
}

LRESULT CSearchBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYDOWN) {
        bool handOn = wp == VK_RETURN || wp == VK_DOWN;
        if (wp == VK_ESCAPE) {
            if (::GetWindowTextLengthA(m_hWnd) > 0) {
                // Sent as typing would: the parent hears the change.
                SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
                return 0;
            }
            handOn = true;
        }
        if (handOn && result_ && ::IsWindowVisible(result_)) {
            ::SetFocus(result_);
            return 0;
        }
    }
    // Their characters would only sound the error beep.
    if (msg == WM_CHAR && (wp == VK_ESCAPE || wp == VK_RETURN)) return 0;
    return CWnd::WindowProc(msg, wp, lp);
}
