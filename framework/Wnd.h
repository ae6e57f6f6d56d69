#pragma once
// The base of every window of the program: a C++ object bound to a window
// handle from the very first message, with virtual message handling and the
// command routing of the document/view model.
#include <windows.h>

#include <exception>
#include <string>

// The state a command should show in a menu or on a toolbar button.
struct CCmdUI {
    UINT id = 0;
    bool enabled = true;
    bool checked = false;
    bool radio = false;
    void Enable(bool on) { enabled = on; }
    void SetCheck(bool on) { checked = on; }
    void SetRadio(bool on) {
        checked = on;
        radio = true;
    }
};

class Resources;

class CWnd {
public:
    CWnd() = default;
    // A window that shows resources: texts, pictures, menus.
    explicit CWnd(const Resources& resources) : resources_(&resources) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates the window and binds this object to it before its first message.
    bool CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                  int y, int width, int height, HWND parent, HMENU menuOrId);
    void DestroyWindow();
    static CWnd* FromHandle(HWND hwnd);

    HWND GetSafeHwnd() const { return m_hWnd; }
    bool IsWindowVisible() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }

    // Command routing: true when this object knows the command.
    virtual bool OnCommand(UINT id);
    virtual bool OnUpdateCommand(CCmdUI& ui);
    // A notification that a child sent to its parent, offered back to the child.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT* result);

    HWND m_hWnd = nullptr;
    // Null for a window made without resources.
    const Resources* GetResources() const { return resources_; }

protected:
    const Resources& Res() const { return *resources_; }
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // What the window would have done without this object.
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    // The window has gone; the object may delete itself here.
    virtual void PostNcDestroy() {}
    // Binds the object to a window made elsewhere (a dialog's).
    void Attach(HWND hwnd);

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp);

    WNDPROC oldProc_ = nullptr;
    const Resources* resources_ = nullptr;
};

// A window's whole text, however long.
std::string WindowText(HWND window);

// What a handler let escape, reported to the user once; the window goes on.
// Returns what the message's sender should get back. Never throws: without
// memory for the report, a fixed text is shown.
// The texts come from `resources`, or from the program without any.
LRESULT ReportHandlerFailure(const Resources* resources, UINT msg,
                             const std::exception* failure) noexcept;

// Runs `body` for a callback the platform makes: what it lets escape is
// reported, and `failed` is answered instead.
template <typename Result, typename Body>
Result Guarded(const Resources* resources, UINT msg, Result failed, Body body) noexcept {
    try {
        return body();
    } catch (const std::exception& failure) {
        ReportHandlerFailure(resources, msg, &failure);
    } catch (...) {
        ReportHandlerFailure(resources, msg, nullptr);
    }
    return failed;
}
