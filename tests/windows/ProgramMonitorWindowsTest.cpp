// The watching side, from outside: changes made to services by others, seen
// on the program's passes, shown, logged and undone for marked services.
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

class ProgramMonitorWindowsTest : public wintest::ProgramTest {};

const char kActionsKey[] = "Software\\Quorvex\\Larkspan\\Vantorel\\CustomActions\\";
const char kLogFileKey[] = "Software\\Quorvex\\Larkspan\\Vantorel\\LogFile";

// A service's actions, removed again with the test.
class Actions {
public:
    explicit Actions(const std::string& service) : path_(kActionsKey + service) {
        RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr);
    }
    ~Actions() {
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    }
    void Set(const char* name) {
        DWORD one = 1;
        RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), sizeof one);
    }

private:
    std::string path_;
    HKEY key_ = nullptr;
};

// The program's window of changed services, once it is on screen.
HWND WaitForChangesWindow(const Program& program, int tries = 150) {
    return WaitForDialogWhere(program, tries, [](HWND window) {
        return GetDlgItem(window, IDC_CHANGES_LIST) != nullptr;
    });
}

// The rows of the changes window that name the service.
std::vector<std::vector<std::string>> RowsOf(const Program& program, HWND window,
                                             const std::string& service) {
    std::vector<std::vector<std::string>> rows;
    HWND list = GetDlgItem(window, IDC_CHANGES_LIST);
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::vector<std::string> cells = program.Row(list, row, 6);
        if (!cells.empty() && cells[0] == service) rows.push_back(cells);
    }
    return rows;
}

// Waits until the service's one row shows `from` and `to`.
bool WaitForRow(const Program& program, HWND window, const std::string& service,
                const std::string& from, const std::string& to) {
    for (int i = 0; i < 150; ++i) {
        auto rows = RowsOf(program, window, service);
        if (rows.size() == 1 && rows[0][3] == from && rows[0][4] == to) return true;
        Sleep(100);
    }
    return false;
}

// The change records of a log for a service: "old|new".
std::vector<std::string> LoggedChanges(const std::string& path, const std::string& service) {
    std::vector<std::string> changes;
    for (const std::string& line : ReadLines(path)) {
        if (line.empty() || line[0] != '*' || line.size() < service.size() + 1 ||
            line.compare(line.size() - service.size() - 1, std::string::npos, "|" + service) != 0)
            continue;
        size_t kind = line.find('|'), old = line.find('|', kind + 1);
        changes.push_back(line.substr(old + 1, line.size() - service.size() - 2 - old));
    }
    return changes;
}

TEST_F(ProgramMonitorWindowsTest, ChangesMadeByOthersAreShownInTheirWindowAndLogged) {
    TestService svc("basic");
    std::string path = wintest::ExeDirectory() + "\\monitor-history.log";
    DeleteFileA(path.c_str());
    Configuration logFile(kLogFileKey);
    logFile.Set("LogFilePath", path);
    Configuration config;
    config.Set("CompareTimer", 1000);
    {
        Program program;
        ASSERT_NE(program.Frame(30000), nullptr);
        ASSERT_TRUE(svc.StartDirectly());
        HWND window = WaitForChangesWindow(program);
        ASSERT_NE(window, nullptr) << WhyNoFrame(program);
        EXPECT_TRUE(WaitForRow(program, window, svc.Name(), "Parado", "Iniciado"));
        auto rows = RowsOf(program, window, svc.Name());
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][2], "Estado modificado");
        EXPECT_NE(rows[0][5].find('/'), std::string::npos) << "a date: " << rows[0][5];

        // One row per service: the latest change replaces it.
        ASSERT_TRUE(svc.StopDirectly());
        EXPECT_TRUE(WaitForRow(program, window, svc.Name(), "Iniciado", "Parado"));
        Sleep(300);
        EXPECT_TRUE(SaveScreen("changes-window"));

        // Closed, the window is emptied and hidden; the next change shows it again.
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        for (int i = 0; i < 50 && IsWindowVisible(window); ++i) Sleep(100);
        EXPECT_FALSE(IsWindowVisible(window));
        EXPECT_TRUE(RowsOf(program, window, svc.Name()).empty());
        ASSERT_TRUE(svc.StartDirectly());
        EXPECT_EQ(WaitForChangesWindow(program), window);
        EXPECT_TRUE(WaitForRow(program, window, svc.Name(), "Parado", "Iniciado"));
    }
    std::vector<std::string> logged = LoggedChanges(path, svc.Name());
    // Pending states may be seen on the way; the ends are what matter.
    ASSERT_GE(logged.size(), 3u);
    EXPECT_EQ(logged.front().substr(0, 2), "1|");
    EXPECT_NE(std::find(logged.begin(), logged.end(), "4|1"), logged.end());
    EXPECT_EQ(logged.back().substr(logged.back().size() - 2), "|4");
    DeleteFileA(path.c_str());
}

// The changes window of this program while it is hidden with rows: what a
// click on the notification-area icon must bring back.
HWND WaitForHiddenChanges(const Program& program) {
    for (int i = 0; i < 150; ++i) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            HWND list = GetDlgItem(window, IDC_CHANGES_LIST);
            if (pid == GetProcessId(program.Process()) && list && !IsWindowVisible(window) &&
                SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0)
                return window;
        }
        Sleep(100);
    }
    return nullptr;
}

// With the window kept hidden on changes, a click on the icon shows it.
TEST_F(ProgramMonitorWindowsTest, AClickOnTheTrayIconShowsTheHiddenChanges) {
    TestService svc("basic");
    Configuration config;
    config.Set("CompareTimer", 1000);
    config.Set("ShowServiceChanges", 0);
    config.Set("ShowTrayIcon", 1);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(svc.StartDirectly());
    HWND window = WaitForHiddenChanges(program);
    ASSERT_NE(window, nullptr);
    PostMessageA(frame, WM_USER + 1, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(WaitForChangesWindow(program, 50), window);
    PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(program.Exited(10000));
}

TEST_F(ProgramMonitorWindowsTest, MarkedServicesAreKeptRunningOrStopped) {
    TestService keepRunning("basic"), keepStopped("basic");
    ASSERT_TRUE(keepStopped.StartDirectly());
    Actions running(keepRunning.Name()), stopped(keepStopped.Name());
    running.Set("AlwaysRunning");
    stopped.Set("AlwaysStopped");
    Configuration config;
    config.Set("CompareTimer", 1000);
    Program program;
    ASSERT_NE(program.Frame(30000), nullptr);
    EXPECT_TRUE(keepRunning.WaitFor(SERVICE_RUNNING, 15000));
    EXPECT_TRUE(keepStopped.WaitFor(SERVICE_STOPPED, 15000));
    // Stopped by someone else, it runs again; started, it stops again.
    ASSERT_TRUE(keepRunning.StopDirectly());
    EXPECT_TRUE(keepRunning.WaitFor(SERVICE_RUNNING, 15000));
    // The program may stop it before it is seen running.
    ASSERT_TRUE(keepStopped.StartDirectly(false));
    EXPECT_TRUE(keepStopped.WaitFor(SERVICE_STOPPED, 15000));
}

TEST_F(ProgramMonitorWindowsTest, AServicesActionsKeepItsChangesOutOfTheWindowOrTheLog) {
    TestService unshown("basic"), unlogged("basic");
    Actions quiet(unshown.Name()), silent(unlogged.Name());
    quiet.Set("DisableNotify");
    silent.Set("DisableLOG");
    std::string path = wintest::ExeDirectory() + "\\quiet-history.log";
    DeleteFileA(path.c_str());
    Configuration logFile(kLogFileKey);
    logFile.Set("LogFilePath", path);
    Configuration config;
    config.Set("CompareTimer", 1000);
    {
        Program program;
        ASSERT_NE(program.Frame(30000), nullptr);
        ASSERT_TRUE(unshown.StartDirectly());
        ASSERT_TRUE(unlogged.StartDirectly());
        HWND window = WaitForChangesWindow(program);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(WaitForRow(program, window, unlogged.Name(), "Parado", "Iniciado"));
        // Once its change is logged, the pass has decided not to show it.
        for (int i = 0; i < 100 && LoggedChanges(path, unshown.Name()).empty(); ++i) Sleep(100);
        EXPECT_TRUE(RowsOf(program, window, unshown.Name()).empty());
    }
    EXPECT_FALSE(LoggedChanges(path, unshown.Name()).empty());
    EXPECT_TRUE(LoggedChanges(path, unlogged.Name()).empty());
    DeleteFileA(path.c_str());
}

}  // namespace
