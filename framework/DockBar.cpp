#include "framework/DockBar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Dpi.h"
#include "framework/FrameWnd.h"
#include "platform/win32/Handles.h"

namespace {

const char kClassName[] = "FrameDockBar";
// At 100 %: the gripper strip, across the bar's length, and the margin
// around the toolbar.
const int kGripAt100 = 8;
const int kMarginAt100 = 2;
int Grip() {
    return dpi::Scale(kGripAt100);
}
int Margin() {
    return dpi::Scale(kMarginAt100);
}

bool RegisterDockBarClass() {
    WNDCLASSA wc{};
    if (::GetClassInfoA(::GetModuleHandleA(nullptr), kClassName, &wc)) return true;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return ::RegisterClassA(&wc) != 0;
}

}  // namespace

bool CDockBar::Create(CFrameWnd* frame) {
    frame_ = frame;
    return RegisterDockBarClass() &&
           CreateEx(0, kClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                    frame->GetSafeHwnd(), nullptr);
}

void CDockBar::Hold(HWND toolBar) {
    toolBar_ = toolBar;
    Arrange();
}

void CDockBar::HoldBox(HWND label, HWND box, int boxWidth) {
    label_ = label;
    box_ = box;
    boxWidth_ = boxWidth;
    if (label_ && box_)
        ::SetWindowPos(box_, label_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (frame_) frame_->RecalcLayout();
    Arrange();
}

SIZE CDockBar::ButtonsSize() const {
    SIZE size{0, 0};
    if (toolBar_) ::SendMessageA(toolBar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    return size;
}

namespace {
// A window's text's size in its own font.
SIZE TextSize(HWND window, const std::string& text) {
    SIZE size{0, 0};
    WindowDC dc(window);
    if (!dc.get()) return size;
    auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0));
    SelectedObject selected(dc.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::GetTextExtentPoint32A(dc.get(), text.empty() ? "X" : text.c_str(),
                            text.empty() ? 1 : static_cast<int>(text.size()), &size);
    if (text.empty()) size.cx = 0;
    return size;
}
}  // namespace

SIZE CDockBar::LabelSize() const {
    return label_ ? TextSize(label_, WindowText(label_)) : SIZE{0, 0};
}

// A line of text in the box's font with the box's edges around it.
SIZE CDockBar::BoxSize() const {
    if (!box_) return SIZE{0, 0};
    return SIZE{boxWidth_, TextSize(box_, std::string()).cy + dpi::Scale(8)};
}

CDockBar::Side CDockBar::NearestSide(POINT p, const RECT& area) {
    long distances[] = {p.y - area.top, area.bottom - p.y, p.x - area.left, area.right - p.x};
    int nearest = 0;
    for (int i = 1; i < 4; ++i)
        if (distances[i] < distances[nearest]) nearest = i;
    return static_cast<Side>(nearest);
}

// A bar down a side has one button per row. The buttons are put in again,
// since not every toolbar lays itself out anew when only a state changes.
void CDockBar::SetSide(Side side) {
    side_ = side;
    if (toolBar_) {
        int count = static_cast<int>(::SendMessageA(toolBar_, TB_BUTTONCOUNT, 0, 0));
        std::vector<TBBUTTON> buttons(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            TBBUTTON& b = buttons[static_cast<size_t>(i)];
            ::SendMessageA(toolBar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
            b.fsState = Vertical() ? (b.fsState | TBSTATE_WRAP)
                                   : (b.fsState & ~static_cast<BYTE>(TBSTATE_WRAP));
        }
        while (count-- > 0) ::SendMessageA(toolBar_, TB_DELETEBUTTON, 0, 0);
        ::SendMessageA(toolBar_, TB_ADDBUTTONSA, buttons.size(),
                       reinterpret_cast<LPARAM>(buttons.data()));
    }
    Arrange();
    if (!frame_) return;
    frame_->RecalcLayout();
    // Every pane may have moved: draw them all afresh.
    ::RedrawWindow(frame_->GetSafeHwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Across the top or bottom the bar is a button high, down a side a button
// wide (or as wide as the box, above the buttons).
RECT CDockBar::TakeStrip(Side side, RECT* area) const {
    DWORD size =
        toolBar_ ? static_cast<DWORD>(::SendMessageA(toolBar_, TB_GETBUTTONSIZE, 0, 0)) : 0;
    bool down = side == kLeft || side == kRight;
    int thickness = down ? LOWORD(size) : HIWORD(size);
    SIZE box = BoxSize();
    thickness = std::max<int>(thickness, down ? box.cx : box.cy) + 2 * Margin();
    RECT strip = *area;
    switch (side) {
        case kTop:
            strip.bottom = area->top = strip.top + thickness;
            break;
        case kBottom:
            strip.top = area->bottom = strip.bottom - thickness;
            break;
        case kLeft:
            strip.right = area->left = strip.left + thickness;
            break;
        case kRight:
            strip.left = area->right = strip.right - thickness;
            break;
    }
    return strip;
}

RECT CDockBar::GripperRect() const {
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    if (Vertical())
        r.bottom = r.top + Grip();
    else
        r.right = r.left + Grip();
    return r;
}

// The toolbar sits behind the gripper, the box and its label after its
// buttons; down a side, the label and the box come first.
void CDockBar::Arrange() {
    if (!toolBar_ || !m_hWnd) return;
    RECT r;
    ::GetClientRect(m_hWnd, &r);
    int x = Vertical() ? Margin() : Grip() + Margin(),
        y = Vertical() ? Grip() + Margin() : Margin();
    int width = std::max<int>(0, r.right - x - Margin()),
        height = std::max<int>(0, r.bottom - y - Margin());
    SIZE label = LabelSize(), box = BoxSize();
    if (box_ && Vertical()) {
        ::MoveWindow(label_, x, y, width, label.cy, TRUE);
        y += label.cy + Margin();
        ::MoveWindow(box_, x, y, width, box.cy, TRUE);
        y += box.cy + 2 * Margin();
        height = std::max<int>(0, r.bottom - y - Margin());
    } else if (box_) {
        int buttons = std::min<int>(ButtonsSize().cx, width);
        ::MoveWindow(toolBar_, x, y, buttons, height, TRUE);
        int left = x + buttons + 2 * Margin();
        ::MoveWindow(label_, left, y + (height - label.cy) / 2, label.cx, label.cy, TRUE);
        left += label.cx + Margin();
        ::MoveWindow(box_, left, y + (height - box.cy) / 2,
                     std::max<int>(0, std::min<int>(box.cx, r.right - Margin() - left)), box.cy,
                     TRUE);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    ::MoveWindow(toolBar_, x, y, width, height, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CDockBar::Paint() {
    PaintDC dc(m_hWnd);
    RECT grip = GripperRect();
    if (Vertical()) {
        ::InflateRect(&grip, -Margin(), 0);
        grip.top += dpi::Scale(2);
        grip.bottom = grip.top + dpi::Scale(3);
    } else {
        ::InflateRect(&grip, 0, -Margin());
        grip.left += dpi::Scale(2);
        grip.right = grip.left + dpi::Scale(3);
    }
    ::DrawEdge(dc.get(), &grip, BDR_RAISEDINNER, BF_RECT);
}

CDockBar::Side CDockBar::SideAt(LPARAM lp) const {
    POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    ::MapWindowPoints(m_hWnd, frame_->GetSafeHwnd(), &p, 1);
    RECT area;
    ::GetClientRect(frame_->GetSafeHwnd(), &area);
    return NearestSide(p, area);
}

// Drawn over the panes and drawn again to go: the outline inverts what is there.
void CDockBar::ShowOutline(int side) {
    if (side == outline_) return;
    WindowDC dc(frame_->GetSafeHwnd(), DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (dc.get()) {
        for (int shown : {outline_, side}) {
            if (shown < 0) continue;
            RECT area = frame_->DockArea();
            RECT strip = TakeStrip(static_cast<Side>(shown), &area);
            ::DrawFocusRect(dc.get(), &strip);
        }
    }
    outline_ = side;
}

void CDockBar::EndDrag(LPARAM lp) {
    dragging_ = false;
    ShowOutline(-1);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    Side side = SideAt(lp);
    if (side != side_) SetSide(side);
}

LRESULT CDockBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SIZE:
            Arrange();
            return 0;
        // The box's notifications and colours are the frame's business.
        case WM_COMMAND:
            if (frame_ && reinterpret_cast<HWND>(lp) == box_)
                return ::SendMessageA(frame_->GetSafeHwnd(), msg, wp, lp);
            break;
        case WM_SETCURSOR:
            if (dragging_) {
                ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
                return TRUE;
            }
            break;
        case WM_LBUTTONDOWN: {
            POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            RECT grip = GripperRect();
            if (!::PtInRect(&grip, p)) break;
            dragging_ = true;
            ::SetCapture(m_hWnd);
            ::SetCursor(::LoadCursor(nullptr, IDC_SIZEALL));
            return 0;
        }
        case WM_MOUSEMOVE:
            if (dragging_) ShowOutline(SideAt(lp));
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) EndDrag(lp);
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            ShowOutline(-1);
            break;
        default:
            break;
    }
    return CWnd::WindowProc(msg, wp, lp);
}
