#pragma once
// Vantorel.exe started as a user starts it, looked at from outside: the
// helpers the program-level tests share.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/windows/WineServices.h"

namespace wintest {

inline constexpr char kFrameClass[] = "VantorelMainFrame";

struct ChildSearch {
    const char* className;
    HWND found;
};

inline HWND FindChild(HWND parent, const char* className) {
    ChildSearch search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<ChildSearch*>(lp);
            char name[64];
            GetClassNameA(hwnd, name, sizeof name);
            if (lstrcmpiA(name, s->className) != 0) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program under test, ended when the test ends.
class Program {
public:
    // `show`: the show command a shortcut would start it with, or none.
    explicit Program(const std::string& arguments = "", int show = -1) {
        std::string command = "\"" + wintest::ExeDirectory() + "\\Vantorel.exe\" " + arguments;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (show >= 0) {
            si.dwFlags = STARTF_USESHOWWINDOW;
            si.wShowWindow = static_cast<WORD>(show);
        }
        started_ = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &si, &pi_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (HWND frame = Frame()) PostMessageA(frame, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(pi_.hProcess, 10000) != WAIT_OBJECT_0)
            TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }

    bool Started() const { return started_; }
    HANDLE Process() const { return pi_.hProcess; }
    bool Exited(DWORD timeoutMs) const {
        return WaitForSingleObject(pi_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

    // The main window of this process, once the program waits for input.
    HWND Frame(DWORD timeoutMs = 0) const {
        WaitForInputIdle(pi_.hProcess, timeoutMs);
        DWORD start = GetTickCount();
        for (;;) {
            HWND window = nullptr;
            while ((window = FindWindowExA(nullptr, window, kFrameClass, nullptr)) != nullptr) {
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                if (pid == pi_.dwProcessId) return window;
            }
            if (GetTickCount() - start >= timeoutMs) return nullptr;
            Sleep(100);
        }
    }

    // The texts of one row of the list, read through memory of the program.
    std::vector<std::string> Row(HWND list, int row, int columns) const {
        std::vector<std::string> cells;
        const SIZE_T textSize = 512;
        char* remote = static_cast<char*>(VirtualAllocEx(
            pi_.hProcess, nullptr, sizeof(LVITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
        if (!remote) return cells;
        for (int c = 0; c < columns; ++c) {
            LVITEMA item{};
            item.iSubItem = c;
            item.pszText = remote + sizeof(LVITEMA);
            item.cchTextMax = textSize;
            WriteProcessMemory(pi_.hProcess, remote, &item, sizeof item, nullptr);
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
            char text[textSize] = "";
            ReadProcessMemory(pi_.hProcess, remote + sizeof(LVITEMA), text, textSize - 1, nullptr);
            cells.push_back(text);
        }
        VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
        return cells;
    }

    // A tree node's text and image, read through memory of the program.
    std::string Node(HWND tree, HTREEITEM item, int* image = nullptr) const {
        const SIZE_T textSize = 512;
        char* remote = static_cast<char*>(VirtualAllocEx(
            pi_.hProcess, nullptr, sizeof(TVITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
        if (!remote) return std::string();
        TVITEMA tv{};
        tv.mask = TVIF_TEXT | TVIF_IMAGE;
        tv.hItem = item;
        tv.pszText = remote + sizeof(TVITEMA);
        tv.cchTextMax = textSize;
        WriteProcessMemory(pi_.hProcess, remote, &tv, sizeof tv, nullptr);
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote));
        char text[textSize] = "";
        ReadProcessMemory(pi_.hProcess, remote, &tv, sizeof tv, nullptr);
        ReadProcessMemory(pi_.hProcess, remote + sizeof(TVITEMA), text, textSize - 1, nullptr);
        VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
        if (image) *image = tv.iImage;
        return text;
    }

    void Select(HWND list, int row) const {
        void* remote =
            VirtualAllocEx(pi_.hProcess, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
        LVITEMA item{};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        WriteProcessMemory(pi_.hProcess, remote, &item, sizeof item, nullptr);
        SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote));
        VirtualFreeEx(pi_.hProcess, remote, 0, MEM_RELEASE);
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

// Configuration values set for one test and removed again afterwards.
class Configuration {
public:
    explicit Configuration(const char* key = kKey) {
        RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
    }
    ~Configuration() {
        for (const auto& name : names_) RegDeleteValueA(key_, name.c_str());
        RegCloseKey(key_);
    }
    void Set(const char* name, DWORD value) {
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
        names_.push_back(name);
    }
    void Set(const char* name, const std::string& text) {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        names_.push_back(name);
    }
    std::string Get(const char* name) {
        char text[512] = "";
        DWORD size = sizeof text - 1, type = 0;
        RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
        return text;
    }
    static constexpr const char* kKey = "Software\\Quorvex\\Larkspan\\Vantorel\\Configuration";

private:
    HKEY key_ = nullptr;
    std::vector<std::string> names_;
};

// wintool.exe with `arguments`; its exit code, or 1000 and up when it could
// not be run.
inline DWORD RunTool(const std::string& arguments) {
    std::string command = "\"" + wintest::ExeDirectory() + "\\wintool.exe\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 1000;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 1001;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// Late-bound calls, as a script would make them.
inline VARIANT Call(IDispatch* object, const wchar_t* method, short argument = -1) {
    VARIANT result;
    VariantInit(&result);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(method);
    if (FAILED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return result;
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I2;
    arg.iVal = argument;
    DISPPARAMS params{argument >= 0 ? &arg : nullptr, nullptr, argument >= 0 ? 1u : 0u, 0};
    object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                   nullptr);
    return result;
}

// The lines of a text file written with CR LF.
inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string text(64 * 1024, '\0');
    DWORD got = 0;
    ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    text.resize(got);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// A visible dialog box of the program's that `wanted` accepts, once it is
// there; null after `tries` tenths of a second.
inline HWND WaitForDialogWhere(const Program& program, int tries,
                               const std::function<bool(HWND)>& wanted) {
    for (int i = 0; i < tries; ++i) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == GetProcessId(program.Process()) && IsWindowVisible(window) && wanted(window))
                return window;
        }
        Sleep(100);
    }
    return nullptr;
}

// A dialog box the program shows, once it is there.
// With `owner`, only a dialog that window owns counts.
inline HWND WaitForDialog(const Program& program, int tries = 100, HWND owner = nullptr) {
    return WaitForDialogWhere(program, tries, [owner](HWND window) {
        return !owner || GetWindow(window, GW_OWNER) == owner;
    });
}

inline HTREEITEM NextNode(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The first node of the tree, in pre-order, whose text is `text`.
inline HTREEITEM FindNode(const Program& p, HWND tree, const std::string& text,
                          HTREEITEM from = TVI_ROOT) {
    HTREEITEM item = NextNode(tree, from == TVI_ROOT ? nullptr : from, TVGN_CHILD);
    if (from == TVI_ROOT) item = NextNode(tree, nullptr, TVGN_ROOT);
    for (; item; item = NextNode(tree, item, TVGN_NEXT)) {
        if (p.Node(tree, item) == text) return item;
        if (HTREEITEM below = FindNode(p, tree, text, item)) return below;
    }
    return nullptr;
}

inline std::string ControlText(HWND dialog, int id) {
    char text[1024] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// The message of a message box: its first static control with text.
inline std::string MessageText(HWND box) {
    HWND text = FindWindowExA(box, nullptr, "Static", nullptr);
    while (text && GetWindowTextLengthA(text) == 0)
        text = FindWindowExA(box, text, "Static", nullptr);
    char message[1024] = "";
    if (text) SendMessageA(text, WM_GETTEXT, sizeof message, reinterpret_cast<LPARAM>(message));
    return message;
}

// Runs a command that asks for a file and gives the file dialog `path`.
inline bool ChooseFile(const Program& program, HWND frame, UINT command, const std::string& path) {
    PostMessageA(frame, WM_COMMAND, command, 0);
    HWND dialog = WaitForDialog(program);
    HWND name = dialog ? FindChild(dialog, "Edit") : nullptr;
    if (!name) return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
}

// Why a program has no main window: it ended, or it waits in a box.
inline std::string WhyNoFrame(const Program& program) {
    DWORD code = 0;
    if (program.Exited(0) && GetExitCodeProcess(program.Process(), &code))
        return "it ended with " + std::to_string(code);
    HWND box = WaitForDialog(program, 1);
    return box ? "it shows \"" + MessageText(box) + "\"" : "it runs without one";
}

// What every program-level test shares: services left by an interrupted
// run removed first, and the list's rows found by their service.
class ProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::DeleteLeftoverServices(); }

    int FindRow(const Program& p, HWND list, const std::string& name) {
        int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < rows; ++r)
            if (p.Row(list, r, 1)[0] == name) return r;
        return -1;
    }
    // Polls the row until its state cell reads `state`.
    bool WaitForStateText(const Program& p, HWND list, const std::string& name,
                          const std::string& state) {
        for (int i = 0; i < 100; ++i) {
            int row = FindRow(p, list, name);
            if (row >= 0 && p.Row(list, row, 3)[2] == state) return true;
            Sleep(100);
        }
        return false;
    }
};

}  // namespace wintest
