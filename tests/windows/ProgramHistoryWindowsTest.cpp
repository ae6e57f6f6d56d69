// The history log as the running program writes it, and its viewer opened
// from the program's menu.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/WineServices.h"

using namespace wintest;

namespace {

class ProgramHistoryWindowsTest : public wintest::ProgramTest {};

TEST_F(ProgramHistoryWindowsTest, TheHistoryLogRecordsTheSessionAndTheConnection) {
    std::string path = wintest::ExeDirectory() + "\\program-history.log";
    DeleteFileA(path.c_str());
    Configuration logFile("Software\\Quorvex\\Larkspan\\Vantorel\\LogFile");
    logFile.Set("LogFilePath", path);
    {
        Program program;
        ASSERT_NE(program.Frame(30000), nullptr);
    }
    std::vector<std::string> lines = ReadLines(path);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0][0], '>');
    EXPECT_NE(lines[0].find("|Vantorel v"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1][0], '!');
    EXPECT_EQ(lines[1].substr(lines[1].size() - 10), "|localhost");
    EXPECT_EQ(lines[2][0], '<');
    EXPECT_EQ(lines[2].substr(lines[2].find('|')), lines[0].substr(lines[0].find('|')));
    DeleteFileA(path.c_str());
}

// Right after start-up the viewer shows the session just begun and its
// connection, and no change; hiding sessions leaves nothing.
TEST_F(ProgramHistoryWindowsTest, TheHistoryViewerShowsTheSessionJustBegun) {
    std::string path = wintest::ExeDirectory() + "\\viewer-history.log";
    DeleteFileA(path.c_str());
    Configuration logFile("Software\\Quorvex\\Larkspan\\Vantorel\\LogFile");
    logFile.Set("LogFilePath", path);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_TOOLS_HISTORY, 0);
    HWND viewer = WaitForDialog(program);
    ASSERT_NE(viewer, nullptr);
    char title[128] = "";
    GetWindowTextA(viewer, title, sizeof title);
    EXPECT_STREQ(title, "Historial de servicios");
    HWND list = GetDlgItem(viewer, IDC_HISTORY_LIST);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ControlText(viewer, IDC_HISTORY_COUNT), "Modificaciones detectadas: 0");
    EXPECT_EQ(ControlText(viewer, IDC_HISTORY_MACHINE), "localhost");
    SendDlgItemMessageA(viewer, IDC_HISTORY_HIDE_SESSIONS, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(ControlText(viewer, IDC_HISTORY_COUNT), "Modificaciones detectadas: 0");
    SendMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
}

TEST_F(ProgramHistoryWindowsTest, ALogThatCannotBeOpenedIsReportedAndTheProgramGoesOn) {
    Configuration logFile("Software\\Quorvex\\Larkspan\\Vantorel\\LogFile");
    logFile.Set("LogFilePath", std::string("Q:\\no\\such\\folder\\history.log"));
    Program program;
    HWND box = WaitForDialog(program);
    ASSERT_NE(box, nullptr);
    std::string message = MessageText(box);
    EXPECT_EQ(message.rfind("No se puede abrir para escritura el fichero de historial\n", 0), 0u)
        << message;
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(program.Frame(30000), nullptr);
}

}  // namespace
