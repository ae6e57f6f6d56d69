// The remote machines dialog in-process, on the real registry: rows loaded
// once per machine, added and edited in place, deleted after the question,
// and stored in their order only on OK.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <functional>
#include <string>

#include "framework/Resources.h"
#include "framework/Wnd.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Registry.h"
#include "res/resource.h"
#include "tests/windows/WineServices.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CRemoteMachinesDlg.h"

namespace {

const char kKey[] = "Software\\Quorvex\\Larkspan\\Vantorel\\OpenServices";
const UINT kStep = WM_APP + 40;

// The dialog with a script run in steps, as a user would act on it.
class CScriptedRemoteDlg : public CRemoteMachinesDlg {
public:
    explicit CScriptedRemoteDlg(const std::string& initial)
        : CRemoteMachinesDlg(resources_, registry_, initial) {}
    std::function<void(HWND, int)> script;

protected:
    bool OnInitDialog() override {
        bool focus = CRemoteMachinesDlg::OnInitDialog();
        ::PostMessageA(m_hWnd, kStep, 0, 0);
        ::SetTimer(m_hWnd, kGiveUp, 20000, nullptr);
        return focus;
    }
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        // A script that stopped short must not leave the dialog up for ever.
        if (msg == WM_TIMER && wp == kGiveUp) {
            ADD_FAILURE() << "the script stopped at step " << step_;
            EndDialog(IDABORT);
            return 0;
        }
        if (msg == kStep && script) {
            script(m_hWnd, step_++);
            return 0;
        }
        return CRemoteMachinesDlg::WindowProc(msg, wp, lp);
    }

private:
    static constexpr UINT_PTR kGiveUp = 99;
    static platform::Win32Registry registry_;
    int step_ = 0;

public:
    // The texts the tests put in use: the program's.
    static platform::TextsInUse inUse_;
    static Resources resources_;
};

platform::Win32Registry CScriptedRemoteDlg::registry_;
platform::TextsInUse CScriptedRemoteDlg::inUse_;
Resources CScriptedRemoteDlg::resources_(CScriptedRemoteDlg::inUse_);

class RemoteMachinesWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The program's own dialogs, pictures and texts.
        program_ = LoadLibraryExA((wintest::ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr);
        CScriptedRemoteDlg::inUse_.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD three = 3;
        RegSetValueExA(key_, "MaxRemote", 0, REG_DWORD, reinterpret_cast<BYTE*>(&three),
                       sizeof three);
        Put("Remote000", "alpha");
        Put("Remote001", "Beta");
        Put("Beta", "Bee");
    }
    void TearDown() override {
        CScriptedRemoteDlg::inUse_.Set(nullptr, "");
        if (program_) FreeLibrary(program_);
        RegCloseKey(key_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    }
    void Put(const char* name, const std::string& text) {
        RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    std::string Get(const char* name) {
        char text[256] = "-";
        DWORD size = sizeof text - 1;
        if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS)
            return "-";
        return text;
    }
    HKEY key_ = nullptr;
    HMODULE program_ = nullptr;
};

void Key(HWND window, WPARAM key) {
    SendMessageA(window, WM_KEYDOWN, key, 0);
    SendMessageA(window, WM_KEYUP, key, 0);
}

// Types into the open cell editor and confirms with Enter.
void Type(HWND list, const char* text) {
    HWND edit = FindWindowExA(list, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr) << "no cell editor";
    SetWindowTextA(edit, text);
    Key(edit, VK_RETURN);
}

TEST_F(RemoteMachinesWindowsTest, RowsAreEditedInPlaceAndStoredInTheirOrderOnOk) {
    CScriptedRemoteDlg dialog("beta");
    int rowsShown = 0;
    bool addBlocked = false;
    dialog.script = [&](HWND hwnd, int step) {
        HWND list = GetDlgItem(hwnd, IDC_REMOTE_LIST);
        switch (step) {
            case 0:
                rowsShown = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
                EXPECT_EQ(listctrl::CellText(list, 1, 0), "beta");
                EXPECT_EQ(listctrl::CellText(list, 1, 1), "bee");
                EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 1);
                Key(list, VK_INSERT);  // a new row, its name being edited
                Type(list, "gamma");
                PostMessageA(hwnd, kStep, 0, 0);
                break;
            case 1:
                Type(list, "Gee");  // the alias comes next
                PostMessageA(hwnd, kStep, 0, 0);
                break;
            case 2: {
                EXPECT_EQ(listctrl::CellText(list, 2, 0), "gamma");
                EXPECT_EQ(listctrl::CellText(list, 2, 1), "Gee");
                Key(list, VK_INSERT);  // full: nothing happens
                addBlocked = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 3;
                // Delete alpha, answering the question with yes.
                LVITEMA state{};
                state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
                SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
                PostMessageA(hwnd, kStep, 0, 0);
                Key(list, VK_DELETE);
                break;
            }
            case 3: {
                HWND box = nullptr;
                while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
                    if (GetWindow(box, GW_OWNER) == hwnd) break;
                ASSERT_NE(box, nullptr) << "no question";
                SendMessageA(box, WM_COMMAND, IDYES, 0);
                PostMessageA(hwnd, kStep, 0, 0);
                break;
            }
            default:
                EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                break;
        }
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(rowsShown, 2);
    EXPECT_TRUE(addBlocked);
    EXPECT_EQ(Get("Remote000"), "beta");
    EXPECT_EQ(Get("Remote001"), "gamma");
    EXPECT_EQ(Get("Remote002"), "-");
    EXPECT_EQ(Get("gamma"), "Gee");
    EXPECT_EQ(Get("Beta"), "bee");
}

TEST_F(RemoteMachinesWindowsTest, CancelStoresNothingAndAnEmptiedNameComesBack) {
    CScriptedRemoteDlg dialog("");
    std::string kept;
    dialog.script = [&](HWND hwnd, int step) {
        HWND list = GetDlgItem(hwnd, IDC_REMOTE_LIST);
        if (step == 0) {
            LVITEMA state{};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
            Key(list, VK_F2);
            Type(list, "");
            PostMessageA(hwnd, kStep, 0, 0);
            return;
        }
        kept = listctrl::CellText(list, 0, 0);
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(kept, "alpha");
    EXPECT_EQ(Get("Remote000"), "alpha");
    EXPECT_EQ(Get("Beta"), "Bee");
}

// The dialog shows itself only once its queue is idle, which a script never
// lets it be: every box that exists counts.
int EditBoxes(HWND list) {
    int count = 0;
    for (HWND edit = nullptr; (edit = FindWindowExA(list, edit, "Edit", nullptr)) != nullptr;)
        ++count;
    return count;
}

void ClickTitle(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    RECT r;
    Header_GetItemRect(header, column, &r);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(header, WM_LBUTTONUP, 0, at);
}

// An edit that is open when the rows change lands on the row it was made
// on, and no box is left behind.
TEST_F(RemoteMachinesWindowsTest, AnOpenCellEditLandsOnItsRowWhateverChangesTheRows) {
    DWORD four = 4;
    RegSetValueExA(key_, "MaxRemote", 0, REG_DWORD, reinterpret_cast<BYTE*>(&four), sizeof four);
    CScriptedRemoteDlg dialog("beta");
    dialog.script = [&](HWND hwnd, int step) {
        HWND list = GetDlgItem(hwnd, IDC_REMOTE_LIST);
        switch (step) {
            case 0:
                // Rename beta, and sort by name before pressing Enter.
                Key(list, VK_F2);
                SetWindowTextA(FindWindowExA(list, nullptr, "Edit", nullptr), "aardvark");
                ClickTitle(list, 0);
                EXPECT_EQ(listctrl::CellText(list, 0, 0), "aardvark");
                EXPECT_EQ(listctrl::CellText(list, 1, 0), "alpha");
                EXPECT_EQ(listctrl::CellText(list, 0, 1), "bee") << "the alias moved with its row";
                EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED), 0)
                    << "the selection stays with its row";
                EXPECT_EQ(EditBoxes(list), 0);
                // A new row's name, then its alias editor; the bar's add
                // button while that is open.
                Key(list, VK_INSERT);
                Type(list, "gamma");
                PostMessageA(hwnd, kStep, 0, 0);
                break;
            case 1:
                EXPECT_EQ(EditBoxes(list), 1);
                SendMessageA(hwnd, WM_COMMAND, ID_REMOTE_ADD, 0);
                EXPECT_EQ(EditBoxes(list), 1) << "one editor, the new row's";
                EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 4);
                Type(list, "delta");
                PostMessageA(hwnd, kStep, 0, 0);
                break;
            default:
                Key(FindWindowExA(list, nullptr, "Edit", nullptr), VK_ESCAPE);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                break;
        }
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(Get("Remote000"), "aardvark");
    EXPECT_EQ(Get("Remote001"), "alpha");
    EXPECT_EQ(Get("Remote002"), "gamma");
    EXPECT_EQ(Get("Remote003"), "delta");
    EXPECT_EQ(Get("aardvark"), "bee");
}

}  // namespace
