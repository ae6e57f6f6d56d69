// What the user sees of the program: its columns, menus, toolbar, about box,
// trees and the open services dialog, with screenshots for a person to
// look at.
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

class ProgramViewsWindowsTest : public wintest::ProgramTest {};

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

TEST_F(ProgramViewsWindowsTest, ScreenshotsOfEachColumnSetAndOfTheContextMenu) {
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

TEST_F(ProgramViewsWindowsTest, TheToolbarDocksOnTheSideItIsDraggedTo) {
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

TEST_F(ProgramViewsWindowsTest, TheAboutBoxShowsTheVersionAndLightsItsLinks) {
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

TEST_F(ProgramViewsWindowsTest, TheTreesShowTheServicesByTypeAndByDependency) {
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

TEST_F(ProgramViewsWindowsTest, OpenServicesChecksTheOptionsAndOpensTheChosenMachine) {
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

}  // namespace
