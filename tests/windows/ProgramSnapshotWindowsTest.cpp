// Snapshots saved through the program and services brought back from them,
// from the command line, the shell or a second start.
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

class ProgramSnapshotWindowsTest : public wintest::ProgramTest {};

TEST_F(ProgramSnapshotWindowsTest, ASnapshotSavedThroughTheSaveFlowHoldsTheServices) {
    TestService running("basic"), stopped("basic");
    ASSERT_TRUE(running.StartDirectly());
    std::string path = wintest::ExeDirectory() + "\\saved-by-program.rpt";
    DeleteFileA(path.c_str());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(ChooseFile(program, frame, ID_FILE_SAVE, path));
    for (int i = 0; i < 100 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);

    std::vector<std::string> lines = ReadLines(path);
    ASSERT_FALSE(lines.empty());
    auto has = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(has("[" + running.Name() + "]"));
    EXPECT_TRUE(has("[" + stopped.Name() + "]"));
    EXPECT_TRUE(has("Machine = localhost"));
    char title[256];
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "localhost - Vantorel");
    // The save's temporary file is gone with it.
    WIN32_FIND_DATAA found;
    std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    HANDLE search = FindFirstFileA((folder + "vt*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    DeleteFileA(path.c_str());
}

// A snapshot saved through the program, the services changed from outside,
// then the snapshot opened from the command line: one service restored on
// its own, the others together; the one that refuses to stop is left and
// named.
TEST_F(ProgramSnapshotWindowsTest, ASnapshotBringsServicesBackOneByOneOrAllTogether) {
    TestService one("basic"), other("basic"), stubborn("nostop");
    ASSERT_TRUE(one.StartDirectly());
    std::string path = wintest::ExeDirectory() + "\\to-restore.rpt";
    DeleteFileA(path.c_str());
    {
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(ChooseFile(program, frame, ID_FILE_SAVE, path));
        for (int i = 0; i < 100 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);
        ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    ASSERT_TRUE(one.StopDirectly());
    ASSERT_TRUE(other.StartDirectly());
    ASSERT_TRUE(stubborn.StartDirectly());

    Program program("\"" + path + "\"");
    ASSERT_NE(program.Frame(30000), nullptr);
    HWND window = WaitForDialog(program);
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, IDC_CHANGES_LIST);
    ASSERT_GE(FindRow(program, list, one.Name()), 0);
    ASSERT_GE(FindRow(program, list, stubborn.Name()), 0);
    EXPECT_TRUE(SaveScreen("restore-window"));

    program.Select(list, FindRow(program, list, one.Name()));
    PostMessageA(window, WM_COMMAND, ID_CHANGES_RESTORE, 0);
    HWND question = WaitForDialog(program, 100, window);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(MessageText(question).find("Iniciado"), std::string::npos) << MessageText(question);
    SendMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(one.WaitFor(SERVICE_RUNNING));
    for (int i = 0; i < 100 && FindRow(program, list, one.Name()) >= 0; ++i) Sleep(100);
    EXPECT_LT(FindRow(program, list, one.Name()), 0) << "a restored row goes";

    PostMessageA(window, WM_COMMAND, ID_CHANGES_RESTORE_ALL, 0);
    question = WaitForDialog(program, 100, window);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageText(question).rfind("La modificaci\xF3n masiva", 0), 0u)
        << MessageText(question);
    SendMessageA(question, WM_COMMAND, IDYES, 0);
    HWND summary = WaitForDialog(program, 600, window);
    ASSERT_NE(summary, nullptr);
    std::string said = MessageText(summary);
    EXPECT_EQ(said.rfind("Error restaurando el estado de los servicios\n", 0), 0u) << said;
    // Named with the platform's reason for refusing.
    EXPECT_NE(said.find("\n- " + stubborn.Name() + ": "), std::string::npos) << said;
    EXPECT_EQ(said.find(other.Name()), std::string::npos) << said;
    SendMessageA(summary, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(other.State(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(stubborn.State(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(one.State(), static_cast<DWORD>(SERVICE_RUNNING));
    SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    DeleteFileA(path.c_str());
}

// A snapshot opened while the program runs goes to the running program,
// which shows what restoring it would do: here, that nothing changed.
TEST_F(ProgramSnapshotWindowsTest, ASnapshotOpenedWhileTheProgramRunsGoesToIt) {
    std::string path = wintest::ExeDirectory() + "\\opened-again.rpt";
    DeleteFileA(path.c_str());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(ChooseFile(program, frame, ID_FILE_SAVE, path));
    for (int i = 0; i < 100 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    {
        Program second("\"" + path + "\"");
        EXPECT_TRUE(second.Exited(15000)) << "a second program stayed";
    }
    HWND told = WaitForDialog(program);
    ASSERT_NE(told, nullptr) << "the running program showed nothing";
    EXPECT_EQ(MessageText(told).rfind("No se han producido cambios", 0), 0u) << MessageText(told);
    SendMessageA(told, WM_COMMAND, IDOK, 0);

    // Over a dialog the user has open, two hand-overs wait for it to close,
    // and then the latter alone is shown.
    auto results = [&] {
        std::vector<HWND> found;
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == GetProcessId(program.Process()) &&
                MessageText(window).rfind("No se han producido cambios", 0) == 0)
                found.push_back(window);
        }
        return found;
    };
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = WaitForDialog(program);
    ASSERT_NE(about, nullptr);
    for (int i = 0; i < 2; ++i) {
        Program again("\"" + path + "\"");
        EXPECT_TRUE(again.Exited(15000));
    }
    // A second is time enough to show a result that should wait.
    auto nothingFor = [&](int tenths) {
        for (int i = 0; i < tenths; ++i, Sleep(100))
            if (!results().empty()) return false;
        return true;
    };
    EXPECT_TRUE(nothingFor(10)) << "shown over the user's dialog";
    SendMessageA(about, WM_COMMAND, IDCANCEL, 0);
    std::vector<HWND> shown;
    for (int i = 0; i < 50 && shown.empty(); ++i, Sleep(100)) shown = results();
    ASSERT_EQ(shown.size(), 1u);
    SendMessageA(shown[0], WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(nothingFor(10)) << "the hand-over that was replaced came too";
    DeleteFileA(path.c_str());
}

TEST_F(ProgramSnapshotWindowsTest, ASnapshotNamedOnTheCommandLineStartsOnTheLocalMachine) {
    Program program("\"C:\\some folder\\services.rpt\"");
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    char title[256];
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "localhost - Vantorel");
    EXPECT_FALSE(program.Exited(0));
}

}  // namespace
