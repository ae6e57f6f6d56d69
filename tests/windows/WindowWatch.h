#pragma once
// A window as a user sees it while it works, watched from another thread.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace wintest {

// The text of a tree's item, as the user reads it.
inline std::string TreeItemText(HWND tree, HTREEITEM item) {
    char text[256] = "";
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

// Another thread's view of the window, as a user sees it: how long the
// window took at most to answer a message sent every 50 ms, and what the
// status bar said meanwhile. Once it says `actOn` (at once when empty),
// `act` is posted to the window, once. The dialogs of the process are
// closed with OK as they come unless `closeDialogs` is false (a test that
// answers them itself). Read it once stopped.
class Watcher {
public:
    explicit Watcher(HWND frame, const std::string& actOn = "", MSG act = {},
                     bool closeDialogs = true)
        : frame_(frame), actOn_(actOn), act_(act), closeDialogs_(closeDialogs), thread_([this] {
              Watch();
          }) {}
    ~Watcher() { Stop(); }
    // The watching thread may be sending to the window at this moment: the
    // messages sent meanwhile are answered until it ends.
    void Stop() {
        stop_ = true;
        MSG none;
        while (!finished_) {
            ::PeekMessageA(&none, nullptr, 0, 0, PM_NOREMOVE);
            ::Sleep(1);
        }
        if (thread_.joinable()) thread_.join();
    }
    DWORD LongestMs() const { return longest_; }
    bool Said(const std::string& text) const {
        return std::find(seen_.begin(), seen_.end(), text) != seen_.end();
    }
    std::string Status() const {
        std::string all;
        for (const std::string& text : seen_) all += "[" + text + "]";
        return all;
    }
    int MessageBoxesClosed() const { return boxes_; }
    // What each message box it closed said, in order.
    const std::vector<std::string>& BoxTexts() const { return boxTexts_; }

private:
    void Watch() {
        HWND bar = FindWindowExA(frame_, nullptr, STATUSCLASSNAMEA, nullptr);
        while (!stop_) {
            DWORD start = GetTickCount();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(frame_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
            DWORD took = GetTickCount() - start;
            if (took > longest_) longest_ = took;
            char text[256] = "";
            if (bar)
                SendMessageTimeoutA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text),
                                    SMTO_NORMAL, 5000, &ignored);
            if (*text && (seen_.empty() || seen_.back() != text)) seen_.push_back(text);
            if (closeDialogs_) CloseMessageBoxes();
            if (act_.message != 0 && (actOn_.empty() || actOn_ == text)) {
                PostMessageA(frame_, act_.message, act_.wParam, act_.lParam);
                act_.message = 0;
            }
            Sleep(50);
        }
        finished_ = true;
    }

    // A message box of a failure would hold the test for ever.
    void CloseMessageBoxes() {
        HWND box = FindWindowA("#32770", nullptr);
        DWORD process = 0;
        if (box) GetWindowThreadProcessId(box, &process);
        if (box && process == GetCurrentProcessId()) {
            char text[1024] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            // A box is seen again until its OK is handled: one text each.
            if (box != lastBox_) boxTexts_.push_back(text);
            lastBox_ = box;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            boxes_++;
        }
    }

    HWND frame_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> finished_{false};
    std::atomic<DWORD> longest_{0};
    std::vector<std::string> seen_;
    std::string actOn_;
    MSG act_;
    bool closeDialogs_;
    int boxes_ = 0;
    std::vector<std::string> boxTexts_;
    HWND lastBox_ = nullptr;
    std::thread thread_;
};

}  // namespace wintest
