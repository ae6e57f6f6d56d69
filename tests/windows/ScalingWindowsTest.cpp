// The program at the display scaling it starts with: its pictures drawn at
// the sizes that scaling asks for, and every text of its dialogs within its
// control. Run with the other tests at 100 % and again at 150 %, where Wine
// takes the scaling from the prefix's registry.
#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "framework/ToolBar.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WineServices.h"
#include "toolkit/MenuImages.h"

namespace {

const UINT kStrips[] = {IDB_ICON_STRIP,    IDR_MAINFRAME,   IDR_HIDDEN_TOOLBAR,
                        IDR_REMOTE_BUTTON, IDR_REMOTE_BAR,  IDR_CHANGES_BAR,
                        IDR_LOG_BAR,       IDR_ACTIONS_BAR, IDR_LANGUAGE_BAR};
const UINT kAboutPictures[] = {IDB_ABOUT_LOGO, IDB_ABOUT_TEAM, IDB_ABOUT_TEAM_LIT,
                               IDB_ABOUT_DONATION, IDB_ABOUT_DONATION_LIT};
const int kPercent[] = {100, 125, 150, 200};

// A program file's resources, as a language module is loaded.
ModuleHandle LoadResources(const char* file) {
    return ModuleHandle(LoadLibraryExA((wintest::ExeDirectory() + "\\" + file).c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE));
}

SIZE BitmapSize(HMODULE module, UINT id) {
    Bitmap bitmap(static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP shape{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof shape, &shape)) return SIZE{0, 0};
    return SIZE{shape.bmWidth, shape.bmHeight};
}

INT_PTR CALLBACK PlainDialog(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

BOOL CALLBACK AddName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(list)->push_back(
            static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The room a control's text needs beyond the text itself.
int Decoration(LONG style) {
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return (style & BS_PUSHLIKE) ? 2 * GetSystemMetrics(SM_CXEDGE)
                                         : GetSystemMetrics(SM_CXMENUCHECK) + dpi::Scale(4);
        case BS_GROUPBOX:
            return dpi::Scale(16);
        default:
            return 2 * GetSystemMetrics(SM_CXEDGE);
    }
}

// What is wrong with a control's text, or nothing when it shows whole: a
// static text wraps within its control (unless it may not), a button's
// text stays on one line (unless it may wrap) beside its box or edges.
std::string Clipped(HWND control) {
    char kind[32] = "", text[1024] = "";
    GetClassNameA(control, kind, sizeof kind);
    GetWindowTextA(control, text, sizeof text);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    // Its own style: the dialog itself is never shown.
    if (!*text || !(style & WS_VISIBLE)) return "";
    bool isStatic = lstrcmpiA(kind, "Static") == 0, isButton = lstrcmpiA(kind, "Button") == 0;
    if (!isStatic && !isButton) return "";
    UINT format = DT_CALCRECT;
    int room = 0;
    if (isStatic) {
        LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
            type != SS_SIMPLE)
            return "";
        if (style & SS_ELLIPSISMASK) return "";
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) format |= DT_WORDBREAK;
        if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
    } else {
        LONG type = style & BS_TYPEMASK;
        if (type == BS_OWNERDRAW || type == BS_USERBUTTON) return "";
        if (style & (BS_BITMAP | BS_ICON)) return "";
        room = Decoration(style);
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    }
    RECT client{};
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT needed{0, 0, client.right - room, 0};
    DrawTextA(dc, text, -1, &needed, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    bool tooWide = needed.right - needed.left + room > client.right;
    bool tooHigh = needed.bottom - needed.top > client.bottom;
    if (!tooWide && !tooHigh) return "";
    return "control " + std::to_string(GetDlgCtrlID(control)) + " \"" + text + "\" needs " +
           std::to_string(needed.right - needed.left + room) + " x " +
           std::to_string(needed.bottom - needed.top) + " px, has " + std::to_string(client.right) +
           " x " + std::to_string(client.bottom);
}

// Each control of each dialog of `module`, shown as the program lays it
// out; what `check` finds wrong, with the dialog's number.
std::vector<std::string> WrongInDialogs(HMODULE module,
                                        const std::function<std::string(HWND)>& check) {
    std::vector<UINT> dialogs;
    EnumResourceNamesA(module, RT_DIALOG, AddName, reinterpret_cast<LONG_PTR>(&dialogs));
    std::vector<std::string> wrong;
    // The pages of the tabbed dialogs are child windows: they need a parent.
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    for (UINT id : dialogs) {
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(id), owner, PlainDialog, 0);
        if (!dialog) {
            wrong.push_back("dialog " + std::to_string(id) + " cannot be made");
            continue;
        }
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            // Pages are laid out over a placeholder: their controls count.
            ShowWindow(child, SW_SHOWNA);
            std::string found = check(child);
            if (!found.empty()) wrong.push_back("dialog " + std::to_string(id) + ": " + found);
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(owner);
    EXPECT_FALSE(dialogs.empty());
    return wrong;
}

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A label just before a control in the dialog's order: a text, or the
// choice the control belongs to (a radio button or check box).
bool IsLabel(HWND label) {
    if (!label || GetWindowTextLengthA(label) == 0) return false;
    LONG style = GetWindowLongA(label, GWL_STYLE);
    if (lstrcmpiA(ClassOf(label).c_str(), "Static") == 0) return (style & SS_TYPEMASK) <= SS_RIGHT;
    LONG kind = style & BS_TYPEMASK;
    return lstrcmpiA(ClassOf(label).c_str(), "Button") == 0 &&
           (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON || kind == BS_AUTOCHECKBOX ||
            kind == BS_CHECKBOX);
}

// A screen reader names a control that has no text of its own by the label
// just before it in the dialog's order.
std::string Unnamed(HWND control) {
    const std::string kind = ClassOf(control);
    bool textless = false;
    for (const char* named : {"Edit", "ComboBox", "ListBox", "SysListView32", "SysTreeView32",
                              "msctls_trackbar32", "SysDateTimePick32", "SysIPAddress32"})
        textless = textless || lstrcmpiA(kind.c_str(), named) == 0;
    if (!textless) return "";
    if (IsLabel(GetWindow(control, GW_HWNDPREV))) return "";
    return kind + " " + std::to_string(GetDlgCtrlID(control)) + " has no label before it";
}

}  // namespace

TEST(ScalingWindowsTest, EveryPictureIsDrawnForEachScaling) {
    EXPECT_EQ(dpi::PictureSizeFor(96), 16);
    EXPECT_EQ(dpi::PictureSizeFor(119), 16);
    EXPECT_EQ(dpi::PictureSizeFor(120), 20);
    EXPECT_EQ(dpi::PictureSizeFor(144), 24);
    EXPECT_EQ(dpi::PictureSizeFor(168), 24) << "175 %: the 150 % pictures, never stretched";
    EXPECT_EQ(dpi::PictureSizeFor(192), 32);
    EXPECT_EQ(dpi::PictureSizeFor(288), 32);
    // The language modules carry the pictures as the program does.
    for (const char* file : {"Vantorel.exe", "Vantorel.en.dll"}) {
        ModuleHandle module = LoadResources(file);
        ASSERT_TRUE(module) << file;
        for (UINT id : kStrips) {
            SIZE base = BitmapSize(module.get(), id);
            ASSERT_EQ(base.cy, 16) << file << " " << id;
            for (int step = 1; step <= 3; ++step) {
                int size = dpi::PictureSizeFor(dpi::kStandard * kPercent[step] / 100);
                SIZE sized = BitmapSize(module.get(), id + step * dpi::kPictureIdStep);
                EXPECT_EQ(sized.cy, size) << file << " " << id << " at " << kPercent[step];
                EXPECT_EQ(sized.cx, base.cx / 16 * size) << "as many pictures at every size";
            }
        }
        for (UINT id : kAboutPictures) {
            SIZE base = BitmapSize(module.get(), id);
            for (int step = 1; step <= 3; ++step) {
                SIZE sized = BitmapSize(module.get(), id + step * dpi::kPictureIdStep);
                EXPECT_EQ(sized.cx, base.cx * kPercent[step] / 100) << file << " " << id;
                EXPECT_EQ(sized.cy, base.cy * kPercent[step] / 100) << file << " " << id;
            }
        }
    }
}

// The lists, toolbars and menus show the pictures made for the scaling the
// program started with.
TEST(ScalingWindowsTest, WindowsShowThePicturesOfTheScaling) {
    char asked[16] = "";
    if (GetEnvironmentVariableA("VANTOREL_TEST_DPI", asked, sizeof asked)) {
        ASSERT_EQ(dpi::System(), std::atoi(asked)) << "the run's scaling did not take";
    }
    platform::TextsInUse inUse;
    wintest::ProgramTexts texts(inUse);
    ASSERT_TRUE(texts.Loaded());
    Resources resources(inUse);
    const int size = dpi::PictureSizeFor(dpi::System());
    int width = 0, height = 0;
    ImageList strip = resources.LoadImageStrip(IDB_ICON_STRIP);
    ASSERT_TRUE(strip);
    ASSERT_TRUE(ImageList_GetIconSize(strip.get(), &width, &height));
    EXPECT_EQ(width, size);
    EXPECT_EQ(height, size);

    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    {
        ToolBar bar;
        ASSERT_TRUE(bar.Create(resources, parent, IDR_MAINFRAME, 1, 0));
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(bar.Hwnd(), TB_GETIMAGELIST, 0, 0));
        ASSERT_TRUE(ImageList_GetIconSize(images, &width, &height));
        EXPECT_EQ(width, size);
        DWORD button = static_cast<DWORD>(SendMessageA(bar.Hwnd(), TB_GETBUTTONSIZE, 0, 0));
        EXPECT_GE(LOWORD(button), size);
        EXPECT_GE(HIWORD(button), size);

        MenuImages menus;
        menus.AddToolBar(bar.Hwnd());
        MEASUREITEMSTRUCT item{};
        item.CtlType = ODT_MENU;
        item.itemID = ID_FILE_OPEN;
        ASSERT_TRUE(menus.OnMeasureItem(&item));
        EXPECT_EQ(static_cast<int>(item.itemHeight), size);
        EXPECT_GT(static_cast<int>(item.itemWidth), size);
    }
    DestroyWindow(parent);
}

// What `check` finds wrong in the dialogs of the program and of the
// English module, each a failure.
void CheckEveryDialog(const std::function<std::string(HWND)>& check) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    for (const char* file : {"Vantorel.exe", "Vantorel.en.dll"}) {
        ModuleHandle module = LoadResources(file);
        ASSERT_TRUE(module) << file;
        for (const std::string& wrong : WrongInDialogs(module.get(), check))
            ADD_FAILURE() << file << " at " << dpi::System() << " dpi, " << wrong;
    }
}

TEST(ScalingWindowsTest, EveryDialogsTextsFitTheirControls) {
    CheckEveryDialog(Clipped);
}

TEST(ScalingWindowsTest, EveryControlWithoutATextHasItsLabelJustBeforeIt) {
    CheckEveryDialog(Unnamed);
}

// Toolbar buttons show pictures only: their names for a screen reader are
// their tooltips, asked for in either form.
TEST(ScalingWindowsTest, EveryToolbarButtonIsNamedByItsTooltipInBothForms) {
    platform::TextsInUse inUse;
    wintest::ProgramTexts texts(inUse);
    ASSERT_TRUE(texts.Loaded());
    Resources resources(inUse);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ToolBar bar;
    ASSERT_TRUE(bar.Create(resources, parent, IDR_MAINFRAME, 1, 0));
    int buttons = static_cast<int>(SendMessageA(bar.Hwnd(), TB_BUTTONCOUNT, 0, 0));
    int named = 0;
    for (int i = 0; i < buttons; ++i) {
        TBBUTTON button{};
        SendMessageA(bar.Hwnd(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (button.fsStyle & BTNS_SEP) continue;
        NMTTDISPINFOA narrow{};
        narrow.hdr.code = TTN_GETDISPINFOA;
        narrow.hdr.idFrom = static_cast<UINT_PTR>(button.idCommand);
        ASSERT_TRUE(resources.AnswerTooltip(&narrow.hdr));
        std::string text = narrow.lpszText ? narrow.lpszText : "";
        EXPECT_FALSE(text.empty()) << "button " << button.idCommand;
        NMTTDISPINFOW wide{};
        wide.hdr.code = TTN_GETDISPINFOW;
        wide.hdr.idFrom = static_cast<UINT_PTR>(button.idCommand);
        ASSERT_TRUE(resources.AnswerTooltip(&wide.hdr));
        ASSERT_NE(wide.lpszText, nullptr);
        char back[256] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.lpszText, -1, back, sizeof back, nullptr, nullptr);
        EXPECT_EQ(back, text) << "button " << button.idCommand;
        ++named;
    }
    EXPECT_GT(named, 5);
    DestroyWindow(parent);
}
