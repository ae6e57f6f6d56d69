// The program ends when it is asked to, every time: through its automation
// object, its menu and a logoff, no process outlives the exit. ctest runs
// these right after a new wineserver has started, when a leftover process
// was once seen.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/WineServices.h"

using wintest::Call;
using wintest::Configuration;
using wintest::kFrameClass;
using wintest::Program;
using wintest::ReadLines;
using wintest::RunTool;

namespace {

const DWORD kExitBoundMs = 5000;

// The automation object a script gets, with the process that serves it.
class AutomationClient {
public:
    AutomationClient() {
        CLSID clsid;
        if (FAILED(CLSIDFromProgID(L"Vantorel.Application", &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(&object_))))
            object_ = nullptr;
    }
    ~AutomationClient() {
        Release();
        if (!server_) return;
        if (WaitForSingleObject(server_, kExitBoundMs) != WAIT_OBJECT_0)
            TerminateProcess(server_, 1);
        CloseHandle(server_);
    }
    AutomationClient(const AutomationClient&) = delete;
    AutomationClient& operator=(const AutomationClient&) = delete;

    IDispatch* Object() const { return object_; }
    // Shows the window and finds the process behind it by that window.
    HWND Show() {
        Call(object_, L"ShowWindow", SW_SHOWNORMAL);
        HWND frame = FindWindowA(kFrameClass, nullptr);
        DWORD pid = 0;
        if (frame) GetWindowThreadProcessId(frame, &pid);
        if (pid) server_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        return frame;
    }
    // -1 when the call is not answered.
    short Visible() const {
        VARIANT result = Call(object_, L"IsWindowVisible");
        return result.vt == VT_I2 ? result.iVal : -1;
    }
    void Exit() const { Call(object_, L"ExitApplication"); }
    void Release() {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    bool ServerEnded(DWORD timeoutMs) const {
        return server_ && WaitForSingleObject(server_, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    IDispatch* object_ = nullptr;
    HANDLE server_ = nullptr;
};

class ProgramExitWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Program registration("/RegServer");
        ASSERT_TRUE(registration.Exited(20000));
        // Wine's class lookup does not see per-user registrations.
        if (wintest::RunningUnderWine()) {
            ASSERT_EQ(RunTool("mirror-user-class Vantorel.Application"), 0u);
        }
    }
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// A script's whole life, as a scheduled task would run it again and again:
// create, show, ask, exit, let go.
TEST_F(ProgramExitWindowsTest, ThirtyScriptedRunsInARowEachLeaveNoProcess) {
    std::vector<int> leftOver;
    for (int round = 1; round <= 30; ++round) {
        AutomationClient client;
        ASSERT_NE(client.Object(), nullptr) << "round " << round;
        ASSERT_NE(client.Show(), nullptr) << "round " << round;
        EXPECT_EQ(client.Visible(), 1) << "round " << round;
        client.Exit();
        client.Release();
        if (!client.ServerEnded(kExitBoundMs)) leftOver.push_back(round);
    }
    EXPECT_TRUE(leftOver.empty()) << leftOver.size() << " runs left their process, the first "
                                  << leftOver.front();
}

// A client that asked for the exit and still holds the object is answered
// until it lets go; the window is gone at once.
TEST_F(ProgramExitWindowsTest, AClientThatStillHoldsTheObjectIsAnsweredUntilItLetsGo) {
    AutomationClient client;
    ASSERT_NE(client.Object(), nullptr);
    HWND frame = client.Show();
    ASSERT_NE(frame, nullptr);
    client.Exit();
    EXPECT_FALSE(IsWindow(frame));
    EXPECT_EQ(client.Visible(), 0);
    EXPECT_FALSE(client.ServerEnded(0));
    client.Release();
    EXPECT_TRUE(client.ServerEnded(kExitBoundMs));
}

// A client that never lets go does not keep the program alive.
TEST_F(ProgramExitWindowsTest, AClientThatNeverLetsGoDoesNotKeepTheProgram) {
    AutomationClient client;
    ASSERT_NE(client.Object(), nullptr);
    ASSERT_NE(client.Show(), nullptr);
    client.Exit();
    EXPECT_TRUE(client.ServerEnded(kExitBoundMs));
}

// Archivo > Salir without the notification-area icon ends the program.
TEST_F(ProgramExitWindowsTest, TheFileMenusExitEndsTheProcess) {
    Configuration config;
    config.Set("ShowTrayIcon", 0);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_TRUE(program.Exited(kExitBoundMs));
}

// After the end of a session is announced the system may end the process
// at any moment: what an exit writes is written by then. Where nothing ends
// it for the system, the program ends itself.
TEST_F(ProgramExitWindowsTest, LogoffWritesWhatAnExitWritesAndEndsTheProcess) {
    std::string path = wintest::ExeDirectory() + "\\logoff-history.log";
    DeleteFileA(path.c_str());
    Configuration logFile("Software\\Quorvex\\Larkspan\\Vantorel\\LogFile");
    logFile.Set("LogFilePath", path);
    Configuration config;
    config.Set("MainWindowPlacement", std::string());
    config.Set("ShowTrayIcon", 1);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(SendMessageA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
    SendMessageA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()[0], '<');
    EXPECT_NE(config.Get("MainWindowPlacement"), "");
    EXPECT_TRUE(program.Exited(kExitBoundMs));
    DeleteFileA(path.c_str());
}

}  // namespace
