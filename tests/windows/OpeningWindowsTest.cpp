// Opening a machine that answers slowly or not at all, in-process with the
// main frame over Wine's service control manager: the window keeps
// answering, the status bar says what it waits for, Esc gives up, and the
// machine shown before stays.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/CVantorelMainFrame.h"
#include "framework/Answering.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "ui/CVantorelDocument.h"
#include "ui/ServiceViewSupport.h"

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

class OpeningWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = LoadLibraryExA((wintest::ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr);
        platform_.textsInUse.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
        wintest::RegisterFrameClass();
        scm_.wait = [](uint32_t ms) { Sleep(ms); };
    }
    void TearDown() override {
        platform_.textsInUse.Set(nullptr, "");
        if (program_) FreeLibrary(program_);
    }
    // The main frame's end asks the thread to quit, which no later test wants.
    void CloseFrame(CVantorelMainFrame* frame) {
        frame->DestroyWindow();
        app_.m_pMainWnd = nullptr;
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
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
    MSG esc{};
    esc.message = WM_KEYDOWN;
    esc.wParam = VK_ESCAPE;
    wintest::Watcher watcher(frame->GetSafeHwnd(), "Conectando con far...", esc);
    DWORD start = GetTickCount();
    EXPECT_FALSE(document.OnOpenDocument("far"));
    DWORD took = GetTickCount() - start;
    watcher.Stop();
    EXPECT_TRUE(document.OpeningCancelled());
    EXPECT_LT(took, 4000u) << "given up, not waited for";
    EXPECT_TRUE(watcher.Said("Conectando con far...")) << watcher.Status();
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
    wintest::Watcher slow(frame->GetSafeHwnd());
    EXPECT_TRUE(document.OnOpenDocument("localhost"));
    slow.Stop();
    EXPECT_FALSE(document.OpeningCancelled());
    EXPECT_LE(slow.LongestMs(), 250u);
    EXPECT_NE(document.Services().Generation(), generation);
    scm_.latencyMs = 0;

    CloseFrame(frame);
    // The one given up ends once its connection does.
    EXPECT_TRUE(Within(30000, [] { return answering::Outstanding() == 0; }));
}

// A command that waits for its service to settle, on a machine where each
// call takes 100 ms: the window answers, and a second command meanwhile is
// refused and said to wait.
TEST_F(OpeningWindowsTest, AServiceCommandRunsWhileTheWindowAnswersAndRefusesAnother) {
    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    ASSERT_TRUE(service.StartDirectly() && service.WaitFor(SERVICE_RUNNING));
    CVantorelDocument document(app_, context_);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context_);
    ASSERT_TRUE(frame->Create(&document));
    app_.m_pMainWnd = frame;
    ::ShowWindow(frame->GetSafeHwnd(), SW_SHOW);
    frame->InitialUpdateFrame(&document);
    ServiceEntry* entry = document.Services().FindEntry(service.Name().c_str());
    ASSERT_NE(entry, nullptr);

    scm_.latencyMs = 100;
    MSG start{};
    start.message = WM_COMMAND;
    start.wParam = ID_SERVICE_START;
    wintest::Watcher watcher(frame->GetSafeHwnd(), "", start);
    DWORD began = GetTickCount();
    EXPECT_TRUE(RunServiceCommand(&document, entry, ID_SERVICE_STOP, frame->GetSafeHwnd()));
    DWORD took = GetTickCount() - began;
    watcher.Stop();
    scm_.latencyMs = 0;
    EXPECT_GE(took, 300u) << "the calls took their time";
    EXPECT_LE(watcher.LongestMs(), 250u) << "the window kept answering";
    // The status bar's text is in the code page of the texts: "operaci\xF3n".
    EXPECT_TRUE(watcher.Said("Espere a que termine la operaci\xF3n en curso")) << watcher.Status();
    EXPECT_EQ(watcher.MessageBoxesClosed(), 0);
    EXPECT_EQ(entry->currentState, static_cast<uint32_t>(SERVICE_STOPPED));
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_STOPPED))
        << "the second command was refused";
    EXPECT_FALSE(document.Busy());

    CloseFrame(frame);
}

}  // namespace
