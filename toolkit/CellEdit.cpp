#include "toolkit/CellEdit.h"

#include <commctrl.h>

namespace {
// The first column's rectangle is the whole row; the cell ends where the
// second column begins.
bool CellRect(HWND list, int row, int column, RECT* cell) {
    cell->top = column;
    cell->left = LVIR_LABEL;
    if (!::SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(cell)))
        return false;
    if (column == 0) {
        RECT second{};
        second.top = 1;
        second.left = LVIR_BOUNDS;
        if (::SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&second)))
            cell->right = second.left;
    }
    return true;
}
}  // namespace

bool CCellEdit::Open(HWND list, int row, int column, const std::string& text, HWND owner,
                     UINT doneMessage) {
    Close(true);
    RECT cell{};
    if (!CellRect(list, row, column, &cell)) return false;
    owner_ = owner;
    doneMessage_ = doneMessage;
    ++serial_;
    open_ = CellEditResult{row, column, false, std::string()};
    if (!CreateEx(0, "EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                  cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, list,
                  nullptr))
        return false;
    SendMessage(WM_SETFONT, ::SendMessageA(list, WM_GETFONT, 0, 0), TRUE);
    SendMessage(EM_SETSEL, 0, -1);
    ::SetFocus(m_hWnd);
    return true;
}

void CCellEdit::Close(bool keep) {
    Finish(keep, false);
}

bool CCellEdit::TakeResult(CellEditResult* result) {
    if (!hasResult_) return false;
    hasResult_ = false;
    *result = std::move(ended_);
    return true;
}

void CCellEdit::Finish(bool keep, bool notify) {
    // Destroying the box takes its focus away: that must not end it twice.
    if (!m_hWnd || finishing_) return;
    finishing_ = true;
    ended_ = open_;
    ended_.keep = keep;
    ended_.text = WindowText(m_hWnd);
    hasResult_ = true;
    ::DestroyWindow(m_hWnd);
    finishing_ = false;
    if (notify) ::PostMessageA(owner_, doneMessage_, serial_, 0);
}

LRESULT CCellEdit::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (wp == VK_RETURN || wp == VK_ESCAPE) {
                Finish(wp == VK_RETURN, true);
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            LRESULT result = CWnd::WindowProc(msg, wp, lp);
            Finish(true, true);
            return result;
        }
        default:
            break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
