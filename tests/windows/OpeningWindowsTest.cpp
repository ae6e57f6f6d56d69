// Opening a machine that answers slowly or not at all, in-process with the
// main frame over Wine's service control manager: the window keeps
// answering, the status bar says what it waits for, Esc gives up, and the
// machine shown before stays.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/CVantorelMainFrame.h"
#include "framework/Answering.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/windows/WineServices.h"
#include "ui/CVantorelDocument.h"

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// Another thread's view of the window, as a user sees it: how long the
// window took at most to answer a message sent every 50 ms, and what the
// status bar said meanwhile; Esc pressed once it says `escOn`. Read it
// once stopped.
class Watcher {
public:
    explicit Watcher(HWND frame, const std::string& escOn = "")
        : frame_(frame), escOn_(escOn), thread_([this] { Watch(); }) {}
    ~Watcher() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    DWORD LongestMs() const { return longest_; }
    std::string SeenStatus() const { return seen_; }
    std::string LastStatus() const { return last_; }
    int MessageBoxesClosed() const { return boxes_; }

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
            if (bar) SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
            if (std::string(text).find("Conectando") != std::string::npos) seen_ = text;
            last_ = text;
            CloseMessageBoxes();
            if (!escOn_.empty() && seen_ == escOn_) {
                PostMessageA(frame_, WM_KEYDOWN, VK_ESCAPE, 0);
                escOn_.clear();
            }
            Sleep(50);
        }
    }

    // A message box of a failure would hold the test for ever.
    void CloseMessageBoxes() {
        HWND box = FindWindowA("#32770", nullptr);
        DWORD process = 0;
        if (box) GetWindowThreadProcessId(box, &process);
        if (box && process == GetCurrentProcessId()) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            boxes_++;
        }
    }

    HWND frame_;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> longest_{0};
    std::string seen_, last_;
    std::string escOn_;
    int boxes_ = 0;
    std::thread thread_;
};

class OpeningWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = LoadLibraryExA((wintest::ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr);
        platform_.textsInUse.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
        WNDCLASSA frameClass{};
        frameClass.lpfnWndProc = DefWindowProcA;
        frameClass.hInstance = GetModuleHandleA(nullptr);
        frameClass.lpszClassName = "VantorelMainFrame";
        RegisterClassA(&frameClass);
        scm_.wait = [](uint32_t ms) { Sleep(ms); };
    }
    void TearDown() override {
        platform_.textsInUse.Set(nullptr, "");
        if (program_) FreeLibrary(program_);
    }
    static bool Within(DWORD boundMs, const std::function<bool()>& done) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < boundMs; Sleep(20))
            if (done()) return true;
        return done();
    }

    TestApp app_;
    HMODULE program_ = nullptr;
    platform::Win32Platform platform_;
    fake::MeteredScm scm_{platform_.scm};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces().With(scm_), history_};
};

TEST_F(OpeningWindowsTest, AMachineThatDoesNotAnswerIsGivenUpWithEscAndTheListStays) {
    CVantorelDocument document(app_, context_);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context_);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    app_.m_pMainWnd = frame;
    ::ShowWindow(frame->GetSafeHwnd(), SW_SHOW);
    frame->InitialUpdateFrame(&document);
    uint32_t count = document.Services().GetCount();
    uint32_t generation = document.Services().Generation();

    scm_.MakeUnreachable(8000);
    Watcher watcher(frame->GetSafeHwnd(), "Conectando con far...");
    DWORD start = GetTickCount();
    EXPECT_FALSE(document.OnOpenDocument("far"));
    DWORD took = GetTickCount() - start;
    watcher.Stop();
    EXPECT_TRUE(document.OpeningCancelled());
    EXPECT_LT(took, 4000u) << "given up, not waited for";
    EXPECT_EQ(watcher.SeenStatus(), "Conectando con far...") << watcher.LastStatus();
    EXPECT_EQ(watcher.MessageBoxesClosed(), 0) << "no failure was shown";
    EXPECT_LE(watcher.LongestMs(), 250u) << "the window kept answering";
    EXPECT_EQ(document.Services().GetMachineName(), nullptr);
    EXPECT_EQ(document.Services().GetCount(), count);
    EXPECT_EQ(document.Services().Generation(), generation);
    // The opening given up still waits on its thread, and is counted so.
    EXPECT_EQ(answering::Outstanding(), 1);

    // A machine that answers, slowly: the window answers all the while.
    scm_.MakeReachable();
    scm_.latencyMs = 20;
    Watcher slow(frame->GetSafeHwnd());
    EXPECT_TRUE(document.OnOpenDocument("localhost"));
    slow.Stop();
    EXPECT_FALSE(document.OpeningCancelled());
    EXPECT_LE(slow.LongestMs(), 250u);
    EXPECT_NE(document.Services().Generation(), generation);
    scm_.latencyMs = 0;

    frame->DestroyWindow();
    app_.m_pMainWnd = nullptr;
    // The one given up ends once its connection does.
    EXPECT_TRUE(Within(30000, [] { return answering::Outstanding() == 0; }));
}

}  // namespace
