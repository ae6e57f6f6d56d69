// Vantorel.exe started as a user starts it, and looked at from outside: its
// window, its list, its commands and its single instance.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/WineServices.h"

using wintest::Call;
using wintest::Configuration;
using wintest::FindChild;
using wintest::kFrameClass;
using wintest::Program;
using wintest::ReadLines;
using wintest::RunTool;
using wintest::SaveScreen;
using wintest::TestService;

namespace {

// A dialog box the program shows, once it is there.
// With `owner`, only a dialog that window owns counts.
HWND WaitForDialog(const Program& program, int tries = 100, HWND owner = nullptr) {
    for (int i = 0; i < tries; ++i) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == GetProcessId(program.Process()) && IsWindowVisible(window) &&
                (!owner || GetWindow(window, GW_OWNER) == owner))
                return window;
        }
        Sleep(100);
    }
    return nullptr;
}

HTREEITEM NextNode(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The first node of the tree, in pre-order, whose text is `text`.
HTREEITEM FindNode(const Program& p, HWND tree, const std::string& text,
                   HTREEITEM from = TVI_ROOT) {
    HTREEITEM item = NextNode(tree, from == TVI_ROOT ? nullptr : from, TVGN_CHILD);
    if (from == TVI_ROOT) item = NextNode(tree, nullptr, TVGN_ROOT);
    for (; item; item = NextNode(tree, item, TVGN_NEXT)) {
        if (p.Node(tree, item) == text) return item;
        if (HTREEITEM below = FindNode(p, tree, text, item)) return below;
    }
    return nullptr;
}

std::string ControlText(HWND dialog, int id) {
    char text[1024] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// The message of a message box: its first static control with text.
std::string MessageText(HWND box) {
    HWND text = FindWindowExA(box, nullptr, "Static", nullptr);
    while (text && GetWindowTextLengthA(text) == 0)
        text = FindWindowExA(box, text, "Static", nullptr);
    char message[1024] = "";
    if (text) SendMessageA(text, WM_GETTEXT, sizeof message, reinterpret_cast<LPARAM>(message));
    return message;
}

// Runs a command that asks for a file and gives the file dialog `path`.
bool ChooseFile(const Program& program, HWND frame, UINT command, const std::string& path) {
    PostMessageA(frame, WM_COMMAND, command, 0);
    HWND dialog = WaitForDialog(program);
    HWND name = dialog ? FindChild(dialog, "Edit") : nullptr;
    if (!name) return false;
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    return true;
}

// Why a program has no main window: it ended, or it waits in a box.
std::string WhyNoFrame(const Program& program) {
    DWORD code = 0;
    if (program.Exited(0) && GetExitCodeProcess(program.Process(), &code))
        return "it ended with " + std::to_string(code);
    HWND box = WaitForDialog(program, 1);
    return box ? "it shows \"" + MessageText(box) + "\"" : "it runs without one";
}

class ProgramWindowsTest : public ::testing::Test {
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

TEST_F(ProgramWindowsTest, TheMainWindowListsTheServicesWithTheirStates) {
    TestService running("basic"), stopped("basic");
    ASSERT_TRUE(running.StartDirectly());
    ASSERT_TRUE(stopped.Registered());

    Program program;
    ASSERT_TRUE(program.Started());
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    char title[256];
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "localhost - Vantorel");
    EXPECT_TRUE(IsWindowVisible(frame));

    HWND list = FindChild(frame, WC_LISTVIEWA);
    ASSERT_NE(list, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 3);

    int row = FindRow(program, list, running.Name());
    ASSERT_GE(row, 0);
    std::vector<std::string> cells = program.Row(list, row, 3);
    EXPECT_EQ(cells[1], "Vantorel test " + running.Name());
    EXPECT_EQ(cells[2], "Iniciado");
    row = FindRow(program, list, stopped.Name());
    ASSERT_GE(row, 0);
    EXPECT_EQ(program.Row(list, row, 3)[2], "Parado");
    HWND status = FindChild(frame, STATUSCLASSNAMEA), toolbar = FindChild(frame, TOOLBARCLASSNAMEA);
    ASSERT_TRUE(status && toolbar);

    // The bars come and go with their commands, and the list takes their room.
    RECT before, after;
    GetWindowRect(list, &before);
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    SendMessageA(frame, WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    GetWindowRect(list, &after);
    EXPECT_FALSE(IsWindowVisible(toolbar));
    EXPECT_FALSE(IsWindowVisible(status));
    EXPECT_LT(after.top, before.top);
    EXPECT_GT(after.bottom, before.bottom);
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TOOLBAR, 0);
    SendMessageA(frame, WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_TRUE(IsWindowVisible(toolbar));
    EXPECT_TRUE(IsWindowVisible(status));
}

TEST_F(ProgramWindowsTest, ServicesStartAndStopThroughTheProgramsCommands) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    int row = FindRow(program, list, svc.Name());
    ASSERT_GE(row, 0);

    program.Select(list, row);
    SendMessageA(frame, WM_COMMAND, ID_SERVICE_START, 0);
    EXPECT_TRUE(svc.WaitFor(SERVICE_RUNNING));
    EXPECT_TRUE(WaitForStateText(program, list, svc.Name(), "Iniciado"));

    program.Select(list, FindRow(program, list, svc.Name()));
    SendMessageA(frame, WM_COMMAND, ID_SERVICE_STOP, 0);
    EXPECT_TRUE(svc.WaitFor(SERVICE_STOPPED));
    EXPECT_TRUE(WaitForStateText(program, list, svc.Name(), "Parado"));
}

TEST_F(ProgramWindowsTest, EnterOnAServiceOpensItsPropertiesAndCancelClosesThem) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    int row = FindRow(program, list, svc.Name());
    ASSERT_GE(row, 0);
    program.Select(list, row);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    HWND dialog = WaitForDialog(program);
    ASSERT_NE(dialog, nullptr);
    char title[256] = "";
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_EQ(std::string(title), "Propiedades de un servicio (" + svc.Name() + ")");
    EXPECT_EQ(ControlText(dialog, IDC_PROPERTIES_DISPLAY_NAME), "Vantorel test " + svc.Name());
    SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
}

// The program's manifest is accepted and gives it version 6 of the common
// controls: the running program has loaded that one.
TEST_F(ProgramWindowsTest, TheManifestGivesTheProgramVisualStyles) {
    const std::string exe = wintest::ExeDirectory() + "\\Vantorel.exe";
    ACTCTXA manifest{};
    manifest.cbSize = sizeof manifest;
    manifest.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    manifest.lpSource = exe.c_str();
    manifest.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&manifest);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no manifest the system accepts";
    ReleaseActCtx(context);

    Program program;
    ASSERT_NE(program.Frame(30000), nullptr);
    HMODULE modules[512];
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(program.Process(), modules, sizeof modules, &needed));
    std::string controls;
    for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(program.Process(), modules[i], path, MAX_PATH);
        std::string name = path;
        std::string base = name.substr(name.find_last_of('\\') + 1);
        if (lstrcmpiA(base.c_str(), "comctl32.dll") == 0) controls = name;
    }
    ASSERT_FALSE(controls.empty()) << "no common controls loaded";
    // Version 6 is a side-by-side assembly of its own (version 5 is the
    // system folder's); Wine's copy says 5 in its version information.
    CharLowerA(&controls[0]);
    EXPECT_NE(controls.find("microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << controls;
}

// A disabled service is stopped, so its start is offered; the platform
// refuses it.
TEST_F(ProgramWindowsTest, AFailedCommandShowsItsMessage) {
    TestService svc("basic");
    {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        SC_HANDLE service = OpenServiceA(manager, svc.Name().c_str(), SERVICE_CHANGE_CONFIG);
        ASSERT_TRUE(ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_DISABLED,
                                         SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                         nullptr, nullptr, nullptr));
        CloseServiceHandle(service);
        CloseServiceHandle(manager);
    }
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    program.Select(list, FindRow(program, list, svc.Name()));
    PostMessageA(frame, WM_COMMAND, ID_SERVICE_START, 0);

    HWND box = WaitForDialog(program);
    ASSERT_NE(box, nullptr);
    std::string message = MessageText(box);
    EXPECT_EQ(message.rfind("Error iniciando el servicio " + svc.Name() + "\n", 0), 0u) << message;
    // A second start while the first is busy in the message box still just ends.
    Program second;
    EXPECT_TRUE(second.Exited(20000));
    EXPECT_TRUE(IsWindow(box));
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

// A command its state refuses does nothing, however it arrives: here a stop
// of a service that does not accept one, posted as a menu would send it.
TEST_F(ProgramWindowsTest, ADisabledCommandDoesNothingWhenItArrivesAnyway) {
    TestService svc("nostop");
    ASSERT_TRUE(svc.StartDirectly());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    program.Select(list, FindRow(program, list, svc.Name()));
    PostMessageA(frame, WM_COMMAND, ID_SERVICE_STOP, 0);
    PostMessageA(frame, WM_COMMAND, ID_SERVICE_RESTART, 0);
    EXPECT_EQ(WaitForDialog(program, 30), nullptr) << "a refused command ran";
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &answer));
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

// Wine has no printer, so the print dialog explains that instead; either way
// the dialog belongs to the program and cancelling it prints nothing.
TEST_F(ProgramWindowsTest, ThePrintCommandOfTheListAsksForAPrinter) {
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_FILE_PRINT, 0);
    HWND box = WaitForDialog(program);
    ASSERT_NE(box, nullptr);
    SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
}

TEST_F(ProgramWindowsTest, ASecondStartActivatesTheFirstWindowAndEnds) {
    Program first;
    HWND frame = first.Frame(30000);
    ASSERT_NE(frame, nullptr);
    ShowWindow(frame, SW_HIDE);

    Program second("C:\\snapshot.rpt");
    ASSERT_TRUE(second.Started());
    EXPECT_TRUE(second.Exited(20000));
    DWORD code = 1;
    GetExitCodeProcess(second.Process(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(IsWindowVisible(frame));
    EXPECT_EQ(FindWindowExA(nullptr, frame, kFrameClass, nullptr), nullptr);

    // A minimised first window is restored.
    ShowWindow(frame, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(frame));
    Program third;
    EXPECT_TRUE(third.Exited(20000));
    EXPECT_FALSE(IsIconic(frame));
    EXPECT_TRUE(IsWindowVisible(frame));
}

TEST_F(ProgramWindowsTest, WithTheTrayIconClosingHidesAndTheTrayExitEnds) {
    Configuration config;
    config.Set("ShowTrayIcon", 1);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(IsWindowVisible(frame));
    SendMessageA(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(frame));
    EXPECT_FALSE(program.Exited(500));
    // The tray menu's "Restaurar" brings it back; its "Salir" ends the program.
    SendMessageA(frame, WM_COMMAND, ID_TRAY_RESTORE, 0);
    EXPECT_TRUE(IsWindowVisible(frame));
    PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
    EXPECT_TRUE(program.Exited(10000));
}

TEST_F(ProgramWindowsTest, RunMinimizedStartsHiddenOnlyWhenTheTrayIconIsThere) {
    {
        Configuration config;
        config.Set("RunMinimized", 1);
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        // Shown, or not, before the program waits for input.
        EXPECT_TRUE(IsWindowVisible(frame)) << "nothing else would reach a hidden window";
    }
    Configuration config;
    config.Set("RunMinimized", 1);
    config.Set("ShowTrayIcon", 1);
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr) << WhyNoFrame(program);
    EXPECT_FALSE(IsWindowVisible(frame));
}

TEST_F(ProgramWindowsTest, ThePlacementIsSavedAndRestoredWhenRemembered) {
    Configuration config;
    config.Set("RememberPlacement", 1);
    {
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        SetWindowPos(frame, nullptr, 40, 50, 500, 400, SWP_NOZORDER);
    }
    std::string saved = config.Get("MainWindowPlacement");
    EXPECT_NE(saved.find("|40|50|540|450|"), std::string::npos) << saved;

    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(frame, &wp);
    EXPECT_EQ(wp.rcNormalPosition.left, 40);
    EXPECT_EQ(wp.rcNormalPosition.top, 50);
    EXPECT_EQ(wp.rcNormalPosition.right, 540);
    EXPECT_EQ(wp.rcNormalPosition.bottom, 450);
}

// A placement saved while the window was hidden, on a monitor since
// removed, still starts the program where the user can reach it.
TEST_F(ProgramWindowsTest, AStoredPlacementNeverStartsTheProgramOutOfReach) {
    Configuration config;
    config.Set("RememberPlacement", 1);
    config.Set("MainWindowPlacement", std::string("0|0|-1|-1|-1|-1|5000|4000|5600|4400|"));
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsWindowVisible(frame));
    RECT r, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, common;
    GetWindowRect(frame, &r);
    EXPECT_TRUE(IntersectRect(&common, &r, &screen)) << r.left << "," << r.top;
    EXPECT_EQ(r.right - r.left, 600);
}

TEST_F(ProgramWindowsTest, AShortcutSetToMaximisedStartsItMaximised) {
    Program program("", SW_SHOWMAXIMIZED);
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsZoomed(frame));
}

// The one that comes second either finds the first one's window or, when
// that is not made yet, says that the program already runs.
// Started again with administrator rights, the new program waits for the
// old one to end, then shows the view it showed; it never activates it.
TEST_F(ProgramWindowsTest, AProgramStartedAgainTakesOverWhenTheOldOneEnds) {
    Program first;
    HWND old = first.Frame(30000);
    ASSERT_NE(old, nullptr);
    std::string arguments =
        "/Handover:" + std::to_string(GetProcessId(first.Process())) + " /View:4";
    Program second(arguments);
    EXPECT_FALSE(second.Exited(1000)) << "the new program gave up";
    PostMessageA(old, WM_CLOSE, 0, 0);
    ASSERT_TRUE(first.Exited(15000));
    HWND frame = second.Frame(30000);
    ASSERT_NE(frame, nullptr) << "the new program showed no window";
    HWND tree = FindChild(frame, WC_TREEVIEWA);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(IsWindowVisible(tree)) << "not the dependency tree it was given";
}

TEST_F(ProgramWindowsTest, TwoStartsAtOnceLeaveOneProgram) {
    Program first, second;
    const Program* running = nullptr;
    for (int i = 0; i < 300 && !running; ++i) {
        if (first.Frame())
            running = &first;
        else if (second.Frame())
            running = &second;
        else
            Sleep(100);
    }
    ASSERT_NE(running, nullptr);
    const Program& other = running == &first ? second : first;
    if (!other.Exited(3000)) {
        HWND box = WaitForDialog(other, 100);
        ASSERT_NE(box, nullptr) << "two programs run";
        EXPECT_NE(MessageText(box).find("Vantorel ya estaba iniciada"), std::string::npos);
        SendMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(other.Exited(10000));
    }
    EXPECT_EQ(other.Frame(), nullptr);
    EXPECT_FALSE(running->Exited(0));
}

TEST_F(ProgramWindowsTest, ADamagedPlacementFallsBackToTheDefault) {
    Configuration config;
    config.Set("RememberPlacement", 1);
    config.Set("MainWindowPlacement", std::string("1|2|garbage"));
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    RECT r;
    GetWindowRect(frame, &r);
    EXPECT_GT(r.right - r.left, 100);
    EXPECT_GT(r.bottom - r.top, 100);
}

TEST_F(ProgramWindowsTest, TheHistoryLogRecordsTheSessionAndTheConnection) {
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
TEST_F(ProgramWindowsTest, TheHistoryViewerShowsTheSessionJustBegun) {
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

TEST_F(ProgramWindowsTest, ALogThatCannotBeOpenedIsReportedAndTheProgramGoesOn) {
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

TEST_F(ProgramWindowsTest, TheEnglishModuleGivesTheProgramItsTexts) {
    TestService running("basic");
    ASSERT_TRUE(running.StartDirectly());
    Configuration language("Software\\Quorvex\\Larkspan\\Vantorel\\Language");
    language.Set("", wintest::ExeDirectory() + "\\Vantorel.en.dll");
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr) << "the module was refused";
    char text[256] = "";
    SendMessageA(FindChild(frame, STATUSCLASSNAMEA), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Ready");
    HWND list = FindChild(frame, WC_LISTVIEWA);
    int row = FindRow(program, list, running.Name());
    ASSERT_GE(row, 0);
    EXPECT_EQ(program.Row(list, row, 3)[2], "Running");

    // Another process's menus cannot be read under Wine: read the module's own.
    std::string module = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    HMODULE resources = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(resources, nullptr);
    HMENU menu = LoadMenuA(resources, MAKEINTRESOURCEA(IDR_MAINFRAME));
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    DestroyMenu(menu);
    FreeLibrary(resources);

    // The about box describes the module, in its dialog.
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = WaitForDialog(program);
    ASSERT_NE(about, nullptr);
    SendMessageA(about, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "About Vantorel");
    std::string version = ControlText(about, IDC_ABOUT_VERSION);
    EXPECT_EQ(version.rfind("Vantorel English texts\n\n", 0), 0u) << version;
    EXPECT_NE(version.find("\n\nEnglish"), std::string::npos) << version;
    SendMessageA(about, WM_COMMAND, IDOK, 0);
}

// The settings window's page that holds `control` visible.
HWND VisiblePageWith(HWND settings, int control) {
    for (HWND page = GetWindow(settings, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT))
        if (IsWindowVisible(page) && GetDlgItem(page, control)) return page;
    return nullptr;
}

// Answers the message boxes the program shows over `owner` until none comes.
void AnswerBoxes(const Program& program, HWND owner) {
    while (HWND box = WaitForDialog(program, 20, owner)) SendMessageA(box, WM_COMMAND, IDOK, 0);
}

// The English module chosen on the language page: the program says the
// change waits for a restart, and the next start speaks English.
TEST_F(ProgramWindowsTest, ALanguageChosenInTheSettingsSpeaksAfterARestart) {
    Configuration language("Software\\Quorvex\\Larkspan\\Vantorel\\Language");
    const std::string module = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    language.Set(module.c_str(), std::string());
    language.Set("", std::string());
    {
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        PostMessageA(frame, WM_COMMAND, ID_TOOLS_LANGUAGE, 0);
        HWND settings = WaitForDialog(program);
        ASSERT_NE(settings, nullptr);
        HWND page = VisiblePageWith(settings, IDC_SETTINGS_LIST);
        ASSERT_NE(page, nullptr);
        HWND list = GetDlgItem(page, IDC_SETTINGS_LIST);
        ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
        EXPECT_EQ(program.Row(list, 1, 1)[0], "English");
        program.Select(list, 1);
        SendMessageA(page, WM_COMMAND, ID_LANGUAGE_SELECT, 0);
        PostMessageA(settings, WM_COMMAND, IDOK, 0);
        HWND told = WaitForDialog(program, 100, settings);
        ASSERT_NE(told, nullptr);
        EXPECT_EQ(MessageText(told).rfind("El cambio de idioma", 0), 0u) << MessageText(told);
        SendMessageA(told, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(language.Get(""), module);
    }
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    char text[64] = "";
    SendMessageA(FindChild(frame, STATUSCLASSNAMEA), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Ready");
}

// A comparison period set in the settings starts the passes at once: a
// service started from outside shows up in the changes window.
TEST_F(ProgramWindowsTest, APeriodSetInTheSettingsStartsWatchingWithoutARestart) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    Configuration config;
    config.Set("CompareTimer", DWORD(0));
    config.Set("ShowServiceChanges", DWORD(1));
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_TOOLS_SETTINGS, 0);
    HWND settings = WaitForDialog(program);
    ASSERT_NE(settings, nullptr);
    HWND tabs = GetDlgItem(settings, IDC_SETTINGS_TABS);
    SendMessageA(tabs, TCM_SETCURSEL, 1, 0);
    HWND page = nullptr;
    for (HWND child = GetWindow(settings, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, IDC_SETTINGS_PERIOD)) page = child;
    ASSERT_NE(page, nullptr);
    SendDlgItemMessageA(page, IDC_SETTINGS_PERIOD, CB_SETCURSEL, 1, 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_PERIOD, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SETTINGS_PERIOD)));
    PostMessageA(settings, WM_COMMAND, IDOK, 0);
    AnswerBoxes(program, settings);
    EXPECT_EQ(config.Get("CompareTimer"), std::string("\xE8\x03"));
    ASSERT_TRUE(svc.StartDirectly());
    HWND changes = WaitForDialog(program, 100);
    ASSERT_NE(changes, nullptr) << "no pass found the change";
    EXPECT_GE(FindRow(program, GetDlgItem(changes, IDC_CHANGES_LIST), svc.Name()), 0);
}

TEST_F(ProgramWindowsTest, TheEnglishModuleHasEveryStringTheProgramHas) {
    std::string dir = wintest::ExeDirectory();
    HMODULE spanish =
        LoadLibraryExA((dir + "\\Vantorel.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE english =
        LoadLibraryExA((dir + "\\Vantorel.en.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(spanish && english);
    int strings = 0;
    for (UINT id = 1; id < 0x10000; ++id) {
        char es[16], en[16];
        bool inSpanish = LoadStringA(spanish, id, es, sizeof es) > 0;
        bool inEnglish = LoadStringA(english, id, en, sizeof en) > 0;
        EXPECT_EQ(inSpanish, inEnglish) << "string " << id;
        strings += inSpanish;
    }
    EXPECT_GT(strings, 50);
    FreeLibrary(spanish);
    FreeLibrary(english);
}

TEST_F(ProgramWindowsTest, ASnapshotSavedThroughTheSaveFlowHoldsTheServices) {
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
TEST_F(ProgramWindowsTest, ASnapshotBringsServicesBackOneByOneOrAllTogether) {
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
TEST_F(ProgramWindowsTest, ASnapshotOpenedWhileTheProgramRunsGoesToIt) {
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

TEST_F(ProgramWindowsTest, SettingsThatSelectNothingStartWithTheDefaultsAndSaySo) {
    Configuration config;
    config.Set("Active", 0);
    config.Set("Inactive", 0);
    Program program;
    HWND dialog = WaitForDialog(program);
    ASSERT_NE(dialog, nullptr);
    std::string message = MessageText(dialog);
    // The program speaks the ANSI code page (1252 here), not the source's UTF-8.
    EXPECT_EQ(message.rfind("Error cargando informaci\xF3n de los servicios\n"
                            "Se cargan con los atributos por defecto:",
                            0),
              0u)
        << message;
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    EXPECT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ProgramWindowsTest, ASnapshotNamedOnTheCommandLineStartsOnTheLocalMachine) {
    Program program("\"C:\\some folder\\services.rpt\"");
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    char title[256];
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "localhost - Vantorel");
    EXPECT_FALSE(program.Exited(0));
}

// Whether some pixel of a screen area is clearly red.
bool HasRedPixel(const RECT& area) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    bool found = false;
    const auto* pixel = static_cast<const BYTE*>(bits);  // blue, green, red, unused
    for (int i = 0; i < width * height && !found; ++i, pixel += 4)
        found = pixel[2] > 180 && pixel[1] < 90 && pixel[0] < 90;
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return found;
}

TEST_F(ProgramWindowsTest, ScreenshotsOfEachColumnSetAndOfTheContextMenu) {
    TestService running("basic"), paused("basic");
    ASSERT_TRUE(running.StartDirectly());
    ASSERT_TRUE(paused.StartDirectly());
    SERVICE_STATUS status;
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = OpenServiceA(manager, paused.Name().c_str(), SERVICE_ALL_ACCESS);
    ControlService(service, SERVICE_CONTROL_PAUSE, &status);
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    ASSERT_TRUE(paused.WaitFor(SERVICE_PAUSED));

    for (DWORD mask : {7u, 63u, 1u}) {
        Configuration config;
        config.Set("ShowColumns", mask);
        Program program;
        HWND frame = program.Frame(30000);
        ASSERT_NE(frame, nullptr);
        HWND list = FindChild(frame, WC_LISTVIEWA);
        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        int expected = mask == 63 ? 6 : mask == 7 ? 3 : 1;
        EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), expected);
        Sleep(500);
        EXPECT_TRUE(SaveScreen("columns-" + std::to_string(mask)));
        if (mask != 7) continue;
        // A right click on a row opens the services menu.
        int row = FindRow(program, list, running.Name());
        program.Select(list, row);
        RECT cell{LVIR_BOUNDS, 0, 0, 0};
        void* remote =
            VirtualAllocEx(program.Process(), nullptr, sizeof cell, MEM_COMMIT, PAGE_READWRITE);
        WriteProcessMemory(program.Process(), remote, &cell, sizeof cell, nullptr);
        SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(program.Process(), remote, &cell, sizeof cell, nullptr);
        VirtualFreeEx(program.Process(), remote, 0, MEM_RELEASE);
        POINT at{cell.left + 20, (cell.top + cell.bottom) / 2};
        ClientToScreen(list, &at);
        SetCursorPos(at.x, at.y);
        ScreenToClient(list, &at);
        PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        HWND menu = nullptr;
        for (int i = 0; i < 50 && !menu; ++i) {
            Sleep(100);
            menu = FindWindowA("#32768", nullptr);
        }
        EXPECT_NE(menu, nullptr) << "no context menu";
        Sleep(300);
        EXPECT_TRUE(SaveScreen("context-menu"));
        // The stop command is enabled for the running service: its red picture shows.
        RECT box{};
        GetWindowRect(menu, &box);
        EXPECT_TRUE(HasRedPixel(box)) << "no pictures in the menu";
        PostMessageA(frame, WM_CANCELMODE, 0, 0);
        keybd_event(VK_ESCAPE, 0, 0, 0);
        keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    }
}

// Drags the toolbar's gripper to a point of the frame's client area, with a
// screenshot of the outline on the way when `shot` names one.
void DragToolBar(HWND frame, HWND dock, POINT to, const char* shot = nullptr) {
    MapWindowPoints(frame, dock, &to, 1);
    SendMessageA(dock, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(dock, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    if (shot) {
        Sleep(300);
        EXPECT_TRUE(SaveScreen(shot));
    }
    SendMessageA(dock, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

TEST_F(ProgramWindowsTest, TheToolbarDocksOnTheSideItIsDraggedTo) {
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND dock = FindChild(frame, "FrameDockBar"), list = FindChild(frame, WC_LISTVIEWA);
    ASSERT_TRUE(dock && list);
    RECT client;
    GetClientRect(frame, &client);
    auto placeOf = [frame](HWND child) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT bar = placeOf(dock), rows = placeOf(list);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(rows.top, bar.bottom);

    DragToolBar(frame, dock, {4, client.bottom / 2}, "toolbar-drag");
    bar = placeOf(dock), rows = placeOf(list);
    EXPECT_EQ(bar.left, 0);
    EXPECT_GT(bar.bottom - bar.top, 3 * (bar.right - bar.left)) << "not laid out downwards";
    EXPECT_EQ(rows.left, bar.right);
    EXPECT_EQ(rows.top, 0);
    Sleep(500);
    EXPECT_TRUE(SaveScreen("toolbar-left"));

    DragToolBar(frame, dock, {client.right - 4, client.bottom / 2});
    bar = placeOf(dock), rows = placeOf(list);
    EXPECT_EQ(bar.right, client.right);
    EXPECT_EQ(rows.right, bar.left);

    // At the bottom it sits above the status bar.
    DragToolBar(frame, dock, {client.right / 2, client.bottom - 2});
    bar = placeOf(dock), rows = placeOf(list);
    RECT status = placeOf(FindChild(frame, STATUSCLASSNAMEA));
    EXPECT_EQ(bar.bottom, status.top);
    EXPECT_EQ(rows.bottom, bar.top);
    EXPECT_GT(bar.right - bar.left, 3 * (bar.bottom - bar.top));

    DragToolBar(frame, dock, {client.right / 2, 2});
    EXPECT_EQ(placeOf(dock).top, 0);
}

TEST_F(ProgramWindowsTest, TheAboutBoxShowsTheVersionAndLightsItsLinks) {
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_APP_ABOUT, 0);
    HWND about = WaitForDialog(program);
    ASSERT_NE(about, nullptr);
    char title[128] = "";
    SendMessageA(about, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
    EXPECT_STREQ(title, "Acerca de Vantorel");
    std::string version = ControlText(about, IDC_ABOUT_VERSION);
    EXPECT_EQ(version.rfind("Vantorel\n\nVantorel  v", 0), 0u) << version;
    EXPECT_NE(version.find("  Release\nCopyright (C) 2026 Quorvex\n\n"), std::string::npos)
        << version;
    EXPECT_EQ(ControlText(about, IDC_ABOUT_APPEAL), "Ayuda a mantener vivo este software");
    EXPECT_EQ(ControlText(about, IDC_ABOUT_MAIL), "Quorvex");
    EXPECT_EQ(ControlText(about, IDC_ABOUT_WEB), "http://www.palvane.example/vantorel/");

    // The makers' picture lights up while the mouse is over it, and goes out after.
    HWND team = GetDlgItem(about, IDC_ABOUT_TEAM);
    LRESULT unlit = SendMessageA(team, STM_GETIMAGE, IMAGE_BITMAP, 0);
    RECT r;
    GetWindowRect(team, &r);
    auto lit = [&] { return SendMessageA(team, STM_GETIMAGE, IMAGE_BITMAP, 0) != unlit; };
    auto within = [](int tenths, const std::function<bool()>& condition) {
        for (int i = 0; i < tenths; ++i, Sleep(100))
            if (condition()) return true;
        return condition();
    };
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    EXPECT_TRUE(within(30, lit));
    EXPECT_TRUE(SaveScreen("about"));
    SetCursorPos(0, 0);
    EXPECT_TRUE(within(30, [&] { return !lit(); }));

    SendMessageA(about, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
}

TEST_F(ProgramWindowsTest, TheTreesShowTheServicesByTypeAndByDependency) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    HWND list = FindChild(frame, WC_LISTVIEWA);
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TREE_TYPES, 0);
    HWND tree = FindChild(frame, WC_TREEVIEWA);
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(IsWindowVisible(tree));
    EXPECT_FALSE(IsWindowVisible(list));
    EXPECT_EQ(GetDlgCtrlID(tree), AFX_IDW_PANE_FIRST);
    // The toolbar shows the mode once the program is idle again.
    HWND toolbar = FindChild(frame, TOOLBARCLASSNAMEA);
    bool shown = false;
    for (int i = 0; i < 20 && !shown; ++i, Sleep(100))
        shown = SendMessageA(toolbar, TB_ISBUTTONCHECKED, ID_VIEW_TREE_TYPES, 0) &&
                !SendMessageA(toolbar, TB_ISBUTTONCHECKED, ID_VIEW_LIST, 0);
    EXPECT_TRUE(shown);

    HTREEITEM root = NextNode(tree, nullptr, TVGN_ROOT);
    EXPECT_EQ(program.Node(tree, root), "SERVICE_WIN32");
    std::string ownProcess = program.Node(tree, NextNode(tree, root, TVGN_CHILD));
    EXPECT_EQ(ownProcess.rfind("SERVICE_WIN32_OWN_PROCESS (", 0), 0u) << ownProcess;
    HTREEITEM node = FindNode(program, tree, svc.Name());
    ASSERT_NE(node, nullptr);
    int image = 0;
    program.Node(tree, node, &image);
    EXPECT_EQ(image, 3);  // stopped

    // The service commands act on the selected node and its icon follows.
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    SendMessageA(frame, WM_COMMAND, ID_SERVICE_START, 0);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_RUNNING));
    program.Node(tree, node, &image);
    EXPECT_EQ(image, 2);
    Sleep(300);
    EXPECT_TRUE(SaveScreen("tree-types"));

    // A service without dependencies is a root of the dependency tree.
    SendMessageA(frame, WM_COMMAND, ID_VIEW_TREE_DEPENDENCIES, 0);
    HWND dependencies = nullptr;
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == AFX_IDW_PANE_FIRST) dependencies = child;
    ASSERT_NE(dependencies, nullptr);
    EXPECT_NE(dependencies, tree);
    EXPECT_FALSE(IsWindowVisible(tree));
    HTREEITEM top = FindNode(program, dependencies, svc.Name());
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(NextNode(dependencies, top, TVGN_PARENT), nullptr);

    SendMessageA(frame, WM_COMMAND, ID_VIEW_LIST, 0);
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(GetDlgCtrlID(list), AFX_IDW_PANE_FIRST);
    EXPECT_FALSE(IsWindowVisible(dependencies));
}

bool Checked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(ProgramWindowsTest, OpenServicesChecksTheOptionsAndOpensTheChosenMachine) {
    Configuration config, remote("Software\\Quorvex\\Larkspan\\Vantorel\\OpenServices");
    for (const char* name : {"Active", "Inactive", "Win32", "Driver"})
        config.Set(name, name == std::string("Driver") ? 0u : 1u);
    remote.Set("Remote000", std::string());
    Program program;
    HWND frame = program.Frame(30000);
    ASSERT_NE(frame, nullptr);
    PostMessageA(frame, WM_COMMAND, ID_FILE_OPEN, 0);
    HWND dialog = WaitForDialog(program);
    ASSERT_NE(dialog, nullptr);
    char title[64] = "";
    SendMessageA(dialog, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
    EXPECT_STREQ(title, "Abrir servicios");
    EXPECT_TRUE(Checked(dialog, IDC_OPEN_LOCAL));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN_MACHINE)));
    EXPECT_TRUE(Checked(dialog, IDC_OPEN_ACTIVE) && Checked(dialog, IDC_OPEN_WIN32));
    EXPECT_FALSE(Checked(dialog, IDC_OPEN_DRIVER));
    Sleep(300);
    EXPECT_TRUE(SaveScreen("open-services"));

    // The remote machines dialog belongs to this one, which waits behind it
    // (a stale copy saved over a choice made here would lose it).
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_REMOTE), BM_CLICK, 0, 0);
    PostMessageA(dialog, WM_COMMAND, ID_REMOTE_MACHINES, 0);
    HWND machines = WaitForDialog(program, 100, dialog);
    ASSERT_NE(machines, nullptr);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    SendMessageA(machines, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowEnabled(dialog));
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_LOCAL), BM_CLICK, 0, 0);

    // Nothing chosen in either pair: both sentences, and the dialog stays.
    for (int id : {IDC_OPEN_ACTIVE, IDC_OPEN_INACTIVE, IDC_OPEN_WIN32})
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    HWND box = WaitForDialog(program, 100, dialog);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box),
              "Debe seleccionar servicios activos, inactivos o ambos\n"
              "Debe seleccionar servicios Win32, drivers o ambos");
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(dialog));

    // A remote name that is this machine opens it and is not recorded.
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_ACTIVE), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_WIN32), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_REMOTE), BM_CLICK, 0, 0);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN_MACHINE)));
    SetWindowTextA(GetDlgItem(dialog, IDC_OPEN_MACHINE), " LocalHost ");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
    EXPECT_EQ(config.Get("Inactive"), "") << "the options are stored: 0";
    EXPECT_EQ(config.Get("Active"), "\x01");
    EXPECT_EQ(remote.Get("Remote000"), "");

    // A remote machine (Wine connects to this one) is opened and recorded.
    PostMessageA(frame, WM_COMMAND, ID_FILE_OPEN, 0);
    dialog = WaitForDialog(program);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Checked(dialog, IDC_OPEN_LOCAL));
    SendMessageA(GetDlgItem(dialog, IDC_OPEN_REMOTE), BM_CLICK, 0, 0);
    SetWindowTextA(GetDlgItem(dialog, IDC_OPEN_MACHINE), "Server9");
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(WaitForDialog(program, 5), nullptr);
    SendMessageA(frame, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title));
    EXPECT_STREQ(title, "server9 - Vantorel");
    EXPECT_EQ(remote.Get("Remote000"), "server9");
}

TEST_F(ProgramWindowsTest, TheAutomationMethodsWorkThroughACOMClient) {
    {
        Program registration("/RegServer");
        ASSERT_TRUE(registration.Exited(20000));
    }
    char type[64] = "";
    LONG size = sizeof type;
    RegQueryValueA(HKEY_CURRENT_USER, "Software\\Classes\\.rpt", type, &size);
    EXPECT_STREQ(type, "Vantorel.Application");
    char open[512] = "";
    size = sizeof open;
    RegQueryValueA(HKEY_CURRENT_USER,
                   "Software\\Classes\\Vantorel.Application\\shell\\open\\command", open, &size);
    EXPECT_NE(std::string(open).find("Vantorel.exe\" \"%1\""), std::string::npos) << open;
    if (wintest::RunningUnderWine()) {
        // Wine's class lookup does not see per-user registrations.
        ASSERT_EQ(RunTool("mirror-user-class Vantorel.Application"), 0u);
    }
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    CLSID clsid;
    ASSERT_TRUE(SUCCEEDED(CLSIDFromProgID(L"Vantorel.Application", &clsid)));
    IDispatch* object = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                           reinterpret_cast<void**>(&object))));
    HWND frame = FindWindowA(kFrameClass, nullptr);
    ASSERT_NE(frame, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(frame, &pid);
    HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, pid);

    VARIANT visible = Call(object, L"IsWindowVisible");
    EXPECT_EQ(visible.vt, VT_I2);
    EXPECT_EQ(visible.iVal, 0);
    EXPECT_FALSE(IsWindowVisible(frame));
    LPOLESTR unknown = const_cast<LPOLESTR>(L"Quit");
    DISPID id;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);

    Call(object, L"ShowWindow", SW_SHOW);
    EXPECT_EQ(Call(object, L"isWindowVisible").iVal, 1);
    EXPECT_TRUE(IsWindowVisible(frame));
    HWND list = FindChild(frame, WC_LISTVIEWA);
    ASSERT_NE(list, nullptr);
    EXPECT_GT(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);

    // The automation server took no single-instance mutex.
    {
        Program interactive;
        EXPECT_NE(interactive.Frame(30000), nullptr);
    }

    Call(object, L"ExitApplication");
    object->Release();
    EXPECT_EQ(WaitForSingleObject(server, 10000), WAIT_OBJECT_0);
    CloseHandle(server);
    CoUninitialize();
}

// The watching side, from outside: changes made to services by others, seen
// on the program's ticks.

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
    for (int i = 0; i < tries; ++i) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid == GetProcessId(program.Process()) && IsWindowVisible(window) &&
                GetDlgItem(window, IDC_CHANGES_LIST))
                return window;
        }
        Sleep(100);
    }
    return nullptr;
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

TEST_F(ProgramWindowsTest, ChangesMadeByOthersAreShownInTheirWindowAndLogged) {
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
TEST_F(ProgramWindowsTest, AClickOnTheTrayIconShowsTheHiddenChanges) {
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

TEST_F(ProgramWindowsTest, MarkedServicesAreKeptRunningOrStopped) {
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
    ASSERT_TRUE(keepStopped.StartDirectly());
    EXPECT_TRUE(keepStopped.WaitFor(SERVICE_STOPPED, 15000));
}

TEST_F(ProgramWindowsTest, AServicesActionsKeepItsChangesOutOfTheWindowOrTheLog) {
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
