// A handler's failure is reported once and the window goes on, even when
// the report itself cannot be made: with no memory left the program shows
// a fixed text instead of letting a second failure through the platform's
// frames, and the next failure is reported again.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

#include "framework/Resources.h"
#include "framework/Wnd.h"
#include "tests/windows/ScriptedDialog.h"

namespace {
// While set, every allocation of this program fails.
std::atomic<bool> g_failAllocations{false};
}  // namespace

void* operator new(std::size_t size) {
    if (g_failAllocations) throw std::bad_alloc();
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

namespace {

const UINT kFail = WM_APP + 7;

// A window whose handler fails on kFail.
class FailingWindow : public CWnd {
public:
    explicit FailingWindow(const Resources& resources) : CWnd(resources) {}

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kFail) throw std::runtime_error("the handler's own failure");
        return CWnd::WindowProc(msg, wp, lp);
    }
};

// Answers the message boxes of this process as a user would, noting each
// one's text; it allocates nothing, as the program may be out of memory.
class BoxAnswerer {
public:
    BoxAnswerer() : thread_([this] { Run(); }) {}
    ~BoxAnswerer() {
        done_ = true;
        thread_.join();
    }
    int Count() const { return count_; }
    const char* Text(int i) const { return texts_[i]; }

private:
    void Run() {
        while (!done_) {
            Sleep(50);
            HWND box = FindWindowExA(nullptr, nullptr, "#32770", nullptr);
            DWORD pid = 0;
            if (!box || !IsWindowVisible(box)) continue;
            GetWindowThreadProcessId(box, &pid);
            if (pid != GetCurrentProcessId() || count_ >= 4) continue;
            GetDlgItemTextA(box, 0xFFFF, texts_[count_], sizeof texts_[count_]);
            ++count_;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            while (IsWindow(box) && !done_) Sleep(20);
        }
    }
    std::atomic<bool> done_{false};
    std::atomic<int> count_{0};
    char texts_[4][256] = {};
    std::thread thread_;
};

TEST(FailureReportWindowsTest, AReportWithoutMemoryShowsAFixedTextAndTheNextIsMadeAgain) {
    platform::TextsInUse inUse;
    wintest::ProgramTexts texts(inUse);
    ASSERT_TRUE(texts.Loaded());
    Resources resources(inUse);
    FailingWindow window(resources);
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "failing", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    BoxAnswerer user;
    g_failAllocations = true;
    SendMessageA(window.GetSafeHwnd(), kFail, 0, 0);
    g_failAllocations = false;
    SendMessageA(window.GetSafeHwnd(), kFail, 0, 0);
    ASSERT_EQ(user.Count(), 2);
    EXPECT_STREQ(user.Text(0), "No hay memoria suficiente para completar la operaci\xF3n");
    EXPECT_NE(std::strstr(user.Text(1), "the handler's own failure"), nullptr) << user.Text(1);
    window.DestroyWindow();
}

}  // namespace
