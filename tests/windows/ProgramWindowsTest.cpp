// Vantorel.exe started as a user starts it, and looked at from outside: its
// window, its list, its commands, its single instance, its placement and
// its automation object.
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

using namespace wintest;

namespace {

class ProgramWindowsTest : public wintest::ProgramTest {};

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
    // The frame shows before its list is filled.
    HWND list = FindChild(frame, WC_LISTVIEWA);
    LRESULT rows = 0;
    for (DWORD start = GetTickCount(); rows == 0 && GetTickCount() - start < 10000; Sleep(50))
        rows = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    EXPECT_GT(rows, 0);
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

}  // namespace
