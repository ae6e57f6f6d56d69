#include "framework/Wnd.h"

#include <unordered_map>

namespace {

std::unordered_map<HWND, CWnd*>& Windows() {
    static std::unordered_map<HWND, CWnd*> windows;
    return windows;
}

// The object waiting for its window during CreateEx. A window created while
// another is being created gets its own hook, so each hook is local to its call.
CWnd* g_creating = nullptr;
HINSTANCE g_resources = nullptr;

}  // namespace

HINSTANCE ResourceModule() { return g_resources ? g_resources : ::GetModuleHandleA(nullptr); }
void SetResourceModule(HINSTANCE module) { g_resources = module; }

std::string LoadText(UINT id) {
    char buffer[4100];
    int length = ::LoadStringA(ResourceModule(), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

CWnd::~CWnd() {
    if (m_hWnd != nullptr) {
        Windows().erase(m_hWnd);
        if (oldProc_ != nullptr && ::IsWindow(m_hWnd))
            ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    }
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    auto it = Windows().find(hwnd);
    return it == Windows().end() ? nullptr : it->second;
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    Windows()[hwnd] = this;
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticProc)));
}

LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && g_creating != nullptr) {
        CWnd* wnd = g_creating;
        g_creating = nullptr;
        wnd->Attach(reinterpret_cast<HWND>(wp));
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId) {
    g_creating = this;
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId());
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                  menuOrId, ::GetModuleHandleA(nullptr), nullptr);
    ::UnhookWindowsHookEx(hook);
    g_creating = nullptr;
    return hwnd != nullptr && m_hWnd == hwnd;
}

void CWnd::DestroyWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandle(hwnd);
    if (wnd == nullptr) return ::DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = wnd->WindowProc(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        Windows().erase(hwnd);
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->oldProc_));
        wnd->oldProc_ = nullptr;
        wnd->m_hWnd = nullptr;
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::Default(UINT msg, WPARAM wp, LPARAM lp) {
    return oldProc_ ? ::CallWindowProcA(oldProc_, m_hWnd, msg, wp, lp)
                    : ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        // Children hear their own notifications first, as reflected messages.
        auto* header = reinterpret_cast<NMHDR*>(lp);
        CWnd* child = FromHandle(header->hwndFrom);
        LRESULT result = 0;
        if (child != nullptr && child != this && child->OnReflectedNotify(header, &result))
            return result;
    }
    return Default(msg, wp, lp);
}

bool CWnd::OnCommand(UINT) { return false; }
bool CWnd::OnUpdateCommand(CCmdUI&) { return false; }
bool CWnd::OnReflectedNotify(NMHDR*, LRESULT*) { return false; }
