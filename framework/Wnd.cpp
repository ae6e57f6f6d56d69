#include "framework/Wnd.h"

#include <new>
#include <unordered_map>

#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"

namespace {

std::unordered_map<HWND, CWnd*>& Windows() {
    static std::unordered_map<HWND, CWnd*> windows;
    return windows;
}

// The object waiting for its window during CreateEx. A window created while
// another is being created gets its own hook, so each hook is local to its call.
CWnd* g_creating = nullptr;

bool g_reporting = false;

// Set while a report is shown, and cleared however the report ends.
struct Reporting {
    Reporting() { g_reporting = true; }
    ~Reporting() { g_reporting = false; }
    Reporting(const Reporting&) = delete;
    Reporting& operator=(const Reporting&) = delete;
};

// When the report itself cannot be made (no memory for its text): the
// string table's text in a buffer of its own, in the platform's own box.
void ReportWithoutAllocating(HINSTANCE texts) noexcept {
    char text[512] = "";
    char title[128] = "";
    ::LoadStringA(texts, IDS_OUT_OF_MEMORY, text, sizeof text);
    ::LoadStringA(::GetModuleHandleA(nullptr), AFX_IDS_APP_TITLE, title, sizeof title);
    ::MessageBoxA(::GetActiveWindow(), text, title, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

// A box of its own pumps messages; a handler that fails again meanwhile
// (a paint, say) must not stack up boxes, so those failures pass silently.
LRESULT ReportHandlerFailure(const Resources* resources, UINT msg,
                             const std::exception* failure) noexcept {
    HINSTANCE texts = resources ? resources->Module() : ::GetModuleHandleA(nullptr);
    if (!g_reporting) {
        Reporting reporting;
        try {
            auto text = [&](UINT id) {
                char buffer[1024] = "";
                int length = ::LoadStringA(texts, id, buffer, sizeof buffer);
                return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
            };
            std::string message =
                dynamic_cast<const std::bad_alloc*>(failure)
                    ? text(IDS_OUT_OF_MEMORY)
                    : FormatText(text(IDS_UNEXPECTED_ERROR), failure ? failure->what() : "");
            ShowMessage(::GetActiveWindow(), message, MB_OK | MB_ICONERROR);
        } catch (...) {
            ReportWithoutAllocating(texts);
        }
    }
    return msg == WM_CREATE ? -1 : 0;
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

std::string WindowText(HWND window) {
    // The length may be more than the text (two-byte code pages), never less.
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    int got = ::GetWindowTextA(window, &text[0], static_cast<int>(text.size()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

// The map first: when it cannot grow, nothing has changed.
void CWnd::Attach(HWND hwnd) {
    Windows()[hwnd] = this;
    m_hWnd = hwnd;
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticProc)));
}

// A window whose object cannot be attached is not made: a non-zero answer
// to its creation refuses it.
LRESULT CALLBACK CWnd::CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && g_creating != nullptr) {
        CWnd* wnd = g_creating;
        g_creating = nullptr;
        try {
            wnd->Attach(reinterpret_cast<HWND>(wp));
        } catch (...) {
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId) {
    g_creating = this;
    HWND hwnd = nullptr;
    {
        HookHandle hook(
            ::SetWindowsHookExA(WH_CBT, &CWnd::CreationHook, nullptr, ::GetCurrentThreadId()));
        hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                                 menuOrId, ::GetModuleHandleA(nullptr), nullptr);
    }
    g_creating = nullptr;
    return hwnd != nullptr && m_hWnd == hwnd;
}

void CWnd::DestroyWindow() {
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CWnd::StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = FromHandle(hwnd);
    if (wnd == nullptr) return ::DefWindowProcA(hwnd, msg, wp, lp);
    // Nothing may unwind through the platform's frames.
    LRESULT result = Guarded(wnd->GetResources(), msg, LRESULT(msg == WM_CREATE ? -1 : 0),
                             [&] { return wnd->WindowProc(msg, wp, lp); });
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

bool CWnd::OnCommand(UINT) {
    return false;
}
bool CWnd::OnUpdateCommand(CCmdUI&) {
    return false;
}
bool CWnd::OnReflectedNotify(NMHDR*, LRESULT*) {
    return false;
}
