// The services list's filter, copy and export through the main window, as
// a user types, presses keys and picks commands: on Wine's service control
// manager, and on 30,000 services in memory for a copy of them all.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/MessageText.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "tests/fakes/FakeScm.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CVantorelDocument.h"
#include "ui/CVantorelView.h"
#include "ui/ListTransfer.h"

using wintest::TestService;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// The dialogs and message boxes this process shows next, each handed in
// turn to a step of the user's, on a thread of its own; a dialog that does
// not come within 10 seconds ends the script.
class User {
public:
    using Step = std::function<void(HWND)>;
    explicit User(std::vector<Step> steps, const char* windowClass = "#32770")
        : thread_([this, steps, windowClass] {
              HWND last = nullptr;
              for (const Step& step : steps) {
                  HWND box = nullptr;
                  for (int i = 0; i < 100 && !box; ++i) {
                      Sleep(100);
                      box = NextDialog(last, windowClass);
                  }
                  if (!box) return;
                  Sleep(200);  // as a user reads it
                  step(box);
                  last = box;
                  ++done_;
              }
          }) {}
    ~User() { Finish(); }
    // Waits for the script's end; the steps it took.
    int Finish() {
        if (thread_.joinable()) thread_.join();
        return done_;
    }
    static std::string Text(HWND box) {
        char text[1024] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        return text;
    }
    static void Press(HWND box, int button) { PostMessageA(box, WM_COMMAND, button, 0); }

private:
    static HWND NextDialog(HWND other, const char* windowClass) {
        struct Search {
            HWND other;
            const char* windowClass;
            HWND found;
        } search{other, windowClass, nullptr};
        EnumWindows(
            [](HWND window, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                char name[16] = "";
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                GetClassNameA(window, name, sizeof name);
                if (pid != GetCurrentProcessId() || window == s->other ||
                    !IsWindowVisible(window) || lstrcmpA(name, s->windowClass) != 0)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    int done_ = 0;
    std::thread thread_;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
    }
    return lines;
}

std::string ClipboardText(UINT format) {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(the clipboard would not open)";
    if (HANDLE data = GetClipboardData(format)) {
        if (auto* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class ServiceListWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(texts_.Loaded());
        wintest::RegisterFrameClass();
    }
    void TearDown() override {
        app_.m_pMainWnd = nullptr;  // a main window's end would end the test's loop
        if (frame_) DestroyWindow(frame_->GetSafeHwnd());
    }

    // The main window over the document, as the program shows it at start.
    void Open(CVantorelDocument& document, AppContext& context) {
        ASSERT_TRUE(document.Core().OpenDocument("localhost"));
        frame_ = new CVantorelMainFrame(app_, context);  // it goes with its window
        ASSERT_TRUE(frame_->Create(&document));
        app_.m_pMainWnd = frame_;
        frame_->InitialUpdateFrame(&document);
        ShowWindow(frame_->GetSafeHwnd(), SW_SHOW);
        SetForegroundWindow(frame_->GetSafeHwnd());
        SetFocus(List());
        Pump();
    }
    HWND List() const { return GetDlgItem(frame_->GetSafeHwnd(), AFX_IDW_PANE_FIRST); }
    CVantorelView& ListView() const {
        return *dynamic_cast<CVantorelView*>(frame_->GetActiveView());
    }
    // What is posted, through the program's own key handling, and the
    // status bar as the loop leaves it when it goes idle.
    void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (app_.PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        app_.OnIdle();
    }
    // A key pressed where the focus is, with Ctrl held or not.
    void Press(UINT key, bool control = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
        Pump();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    void Type(const std::string& text) {
        for (char c : text) PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump();
    }
    void Command(UINT id) {
        SendMessageA(frame_->GetSafeHwnd(), WM_COMMAND, id, 0);
        Pump();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        int rows = static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) names.push_back(listctrl::CellText(List(), row, 0));
        return names;
    }
    std::string Count() const { return frame_->IndicatorText(ID_INDICATOR_SERVICES); }
    std::string Counted(size_t shown, bool filtered) {
        size_t total = frame_->GetActiveDocument() == &many_ ? many_.Services().GetCount()
                                                             : document_.Services().GetCount();
        std::string count = std::to_string(total) + " servicios";
        return filtered ? std::to_string(shown) + " de " + count : count;
    }
    void SelectAll() {
        LVITEMA all{};
        all.stateMask = all.state = LVIS_SELECTED;
        SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&all));
    }
    static std::string Prefix(const TestService& svc) {
        return svc.Name().substr(0, svc.Name().rfind('_') + 1);
    }

    TestApp app_;
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
    CVantorelDocument document_{app_, context_};
    // Services in memory, as many as no test machine has.
    fake::Scm manyScm_;
    AppContext manyContext_{platform_.Interfaces().With(manyScm_), history_};
    CVantorelDocument many_{app_, manyContext_};
    CVantorelMainFrame* frame_ = nullptr;
};

// The texts of every node of the tree, depth first.
void TreeTexts(HWND tree, HTREEITEM item, std::vector<std::string>* texts) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        texts->push_back(wintest::TreeItemText(tree, item));
        TreeTexts(tree, TreeView_GetChild(tree, item), texts);
    }
}

TEST_F(ServiceListWindowsTest, TheTypedFilterKeepsItsRowsThroughRefreshesPassesAndViews) {
    TestService first("basic"), second("basic");
    Open(document_, context_);
    size_t all = Names().size();
    ASSERT_GE(all, 3u);
    EXPECT_EQ(Count(), Counted(all, false));

    Press('F', true);
    ASSERT_EQ(GetFocus(), frame_->FilterBox().GetSafeHwnd()) << "Ctrl+F reaches the box";
    Type(Prefix(first).substr(0, 3));
    Type(Prefix(first).substr(3));
    EXPECT_EQ(Names(), (std::vector<std::string>{first.Name(), second.Name()}));
    EXPECT_EQ(Count(), Counted(2, true));
    // Every character is itself: no wildcard matches.
    Type("*");
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(Count(), Counted(0, true));
    Press(VK_BACK);
    EXPECT_EQ(Names().size(), 2u);
    Type(second.Name().substr(second.Name().rfind('_') + 1));

    // The command acts on the row in view, the one service the text keeps.
    EXPECT_EQ(Names(), (std::vector<std::string>{second.Name()}));
    Command(ID_SERVICE_START);
    EXPECT_TRUE(second.WaitFor(SERVICE_RUNNING));
    EXPECT_EQ(first.State(), static_cast<DWORD>(SERVICE_STOPPED));

    // F5, a monitor pass and a rebuild keep the filter.
    Press(VK_ESCAPE);
    EXPECT_EQ(Names().size(), all) << "Esc clears the box";
    EXPECT_EQ(Count(), Counted(all, false));
    Type(Prefix(first));
    SetFocus(List());
    Press(VK_F5);
    EXPECT_EQ(Names(), (std::vector<std::string>{first.Name(), second.Name()}));
    SendMessageA(frame_->GetSafeHwnd(), WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    Pump();
    EXPECT_EQ(Names(), (std::vector<std::string>{first.Name(), second.Name()}));
    EXPECT_EQ(Count(), Counted(2, true));

    // The tree by type shows them under their category, opened.
    Command(ID_VIEW_TREE_TYPES);
    HWND tree = List();
    std::vector<std::string> nodes;
    TreeTexts(tree, TreeView_GetRoot(tree), &nodes);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), first.Name()), 1);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), second.Name()), 1);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "SERVICE_WIN32_OWN_PROCESS (2)"), 1);
    EXPECT_EQ(Count(), Counted(2, true));
    EXPECT_TRUE(TreeView_GetNextVisible(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree))))
        << "the categories that hold them are open";
    Command(ID_VIEW_LIST);
    EXPECT_EQ(Names(), (std::vector<std::string>{first.Name(), second.Name()}));
    second.StopDirectly();
}

TEST_F(ServiceListWindowsTest, CtrlCCopiesTheSelectedRowsAsTabsAndCsvOrSaysTheClipboardIsBusy) {
    TestService first("basic"), second("basic");
    Open(document_, context_);
    Press('F', true);
    Type(Prefix(first));
    SetFocus(List());
    SelectAll();
    Press('C', true);
    std::vector<std::string> tabs = Lines(ClipboardText(CF_TEXT));
    ASSERT_EQ(tabs.size(), 3u);
    size_t columns = ListView().Titles().size();
    EXPECT_EQ(tabs[0].find(ListView().Titles()[0] + "\t"), 0u) << "the titles first";
    EXPECT_EQ(tabs[1].find(first.Name() + "\t"), 0u);
    EXPECT_EQ(tabs[2].find(second.Name() + "\t"), 0u);
    EXPECT_EQ(static_cast<size_t>(std::count(tabs[2].begin(), tabs[2].end(), '\t')), columns - 1);
    std::vector<std::string> csv = Lines(ClipboardText(RegisterClipboardFormatA("Csv")));
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_EQ(csv[1].find("\"" + first.Name() + "\",\""), 0u);

    // The box copies its own text, not the rows.
    Press('F', true);
    Press('C', true);
    EXPECT_EQ(ClipboardText(CF_TEXT), Prefix(first));

    // Another program holds the clipboard: a message, and what it had stays.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, nullptr),
           letGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        OpenClipboard(nullptr);
        SetEvent(held);
        WaitForSingleObject(letGo, 20000);
        CloseClipboard();
    });
    WaitForSingleObject(held, 5000);
    std::string said;
    User user({[&](HWND box) {
        said = User::Text(box);
        SetEvent(letGo);
        User::Press(box, IDOK);
    }});
    SetFocus(List());
    Press('C', true);
    EXPECT_EQ(user.Finish(), 1);
    SetEvent(letGo);
    other.join();
    CloseHandle(held);
    CloseHandle(letGo);
    EXPECT_EQ(said, context_.resources.LoadText(IDS_CLIPBOARD_BUSY));
    EXPECT_EQ(ClipboardText(CF_TEXT), Prefix(first));
    Pump();
    EXPECT_EQ(GetFocus(), List()) << "the focus is back where it was";
}

TEST_F(ServiceListWindowsTest, ExportWritesTheRowsInViewAsTheChosenTypeOrSaysWhyNot) {
    TestService first("basic"), second("basic");
    Open(document_, context_);
    Press('F', true);
    Type(Prefix(first));
    const std::string folder = wintest::ExeDirectory() + "\\export-test";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string csv = folder + "\\lista.csv", tsv = folder + "\\lista.txt";
    DeleteFileA(csv.c_str());
    DeleteFileA(tsv.c_str());

    // A name without an extension, the first type: CSV.
    auto save = [&](const std::string& name, int type) {
        return [=](HWND dialog) {
            HWND types = GetDlgItem(dialog, cmb1);
            SendMessageA(types, CB_SETCURSEL, type - 1, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(types));
            SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, name.c_str());
            User::Press(dialog, IDOK);
        };
    };
    {
        User user({save(folder + "\\lista", 1)});
        Command(ID_FILE_EXPORT);
        EXPECT_EQ(user.Finish(), 1);
    }
    std::vector<std::string> lines = Lines(ReadFile(csv));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].find("\xEF\xBB\xBF\""), 0u) << "UTF-8 with its mark";
    EXPECT_EQ(lines[2].find("\"" + second.Name() + "\","), 0u);
    {
        User user({save(tsv, 2)});
        Command(ID_FILE_EXPORT);
        EXPECT_EQ(user.Finish(), 1);
    }
    lines = Lines(ReadFile(tsv));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].find(first.Name() + "\t"), 0u);

    // A folder gone since it was chosen: the platform's reason, no file.
    const std::string missing = folder + "\\gone\\lista.csv";
    std::string said;
    {
        User user({[&](HWND box) {
            said = User::Text(box);
            User::Press(box, IDOK);
        }});
        EXPECT_FALSE(ExportRowsTo(ListView(), context_.resources, context_.platform, missing,
                                  TableFormat::kCsv));
        EXPECT_EQ(user.Finish(), 1);
    }
    std::string head = FormatTexts(context_.resources.LoadText(IDS_EXPORT_FAILED), {"lista.csv"});
    EXPECT_EQ(said, head + "\n" + platform_.files.FormatMessageA(ERROR_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);

    // A read-only file stays as it was.
    std::ofstream(csv, std::ios::binary | std::ios::trunc) << "the old export";
    SetFileAttributesA(csv.c_str(), FILE_ATTRIBUTE_READONLY);
    {
        User user({[&](HWND box) {
            said = User::Text(box);
            User::Press(box, IDOK);
        }});
        EXPECT_FALSE(ExportRowsTo(ListView(), context_.resources, context_.platform, csv,
                                  TableFormat::kCsv));
        EXPECT_EQ(user.Finish(), 1);
    }
    EXPECT_EQ(said, head + "\n" + platform_.files.FormatMessageA(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadFile(csv), "the old export");
    SetFileAttributesA(csv.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(csv.c_str());
    DeleteFileA(tsv.c_str());
    RemoveDirectoryA(folder.c_str());
}

// Every one of 30,000 selected rows reaches the clipboard, in both forms.
TEST_F(ServiceListWindowsTest, ThirtyThousandSelectedRowsAreCopiedWhole) {
    for (int i = 0; i < 30000; ++i)
        manyScm_.Add("Svc" + std::to_string(i), "Servicio n\xFAmero " + std::to_string(i));
    Open(many_, manyContext_);
    ASSERT_EQ(Names().size(), 30000u);
    SelectAll();
    Press('C', true);
    std::vector<std::string> tabs = Lines(ClipboardText(CF_TEXT));
    ASSERT_EQ(tabs.size(), 30001u);
    EXPECT_EQ(tabs[30000].find("Svc29999\tServicio n\xFAmero 29999"), 0u) << tabs[30000];
    EXPECT_EQ(Lines(ClipboardText(RegisterClipboardFormatA("Csv"))).size(), 30001u);
}

// The context-menu key opens the menu at the selected row, wherever the
// mouse is.
TEST_F(ServiceListWindowsTest, TheContextMenuKeyOpensTheMenuAtTheSelectedRow) {
    TestService svc("basic");
    Open(document_, context_);
    Press('F', true);
    Type(svc.Name());
    SetFocus(List());
    ASSERT_EQ(Names(), (std::vector<std::string>{svc.Name()}));
    RECT row{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageA(List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)));
    MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&row), 2);
    SetCursorPos(row.right + 200, row.bottom + 200);
    RECT menu{};
    User user({[&](HWND shown) {
                  GetWindowRect(shown, &menu);
                  PostMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
                  PostMessageA(frame_->GetSafeHwnd(), WM_CANCELMODE, 0, 0);
              }},
              "#32768");
    Press(VK_APPS);
    ASSERT_EQ(user.Finish(), 1) << "no menu";
    EXPECT_NEAR(menu.left, row.left, 2);
    EXPECT_NEAR(menu.top, row.bottom, 2);
}

// In high-contrast mode the names and states give up the program's colours
// for the system's, and get them back after it, without a restart.
TEST_F(ServiceListWindowsTest, HighContrastGivesTheListTheSystemsColours) {
    Open(document_, context_);
    HWND list = List();
    ASSERT_GT(wintest::PixelsOf(list, kNameColour), 0);
    HIGHCONTRASTA before{};
    before.cbSize = sizeof before;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof before, &before, 0));
    HIGHCONTRASTA on = before;
    on.dwFlags |= HCF_HIGHCONTRASTON;
    if (!SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof on, &on, SPIF_SENDCHANGE) ||
        !listctrl::HighContrast())
        GTEST_SKIP() << "Wine has no high-contrast mode to switch on";
    SendMessageA(frame_->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    int inContrast = wintest::PixelsOf(list, kNameColour);
    SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof before, &before, SPIF_SENDCHANGE);
    SendMessageA(frame_->GetSafeHwnd(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(inContrast, 0);
    EXPECT_GT(wintest::PixelsOf(list, kNameColour), 0);
}

}  // namespace

// In a tree, Ctrl+C copies the services of the selected branch and export
// writes every service the tree shows, each with the branch that holds it.
TEST_F(ServiceListWindowsTest, TheTreesCopyTheSelectedBranchAndExportWhatTheyShow) {
    TestService first("basic"), second("basic");
    Open(document_, context_);
    Press('F', true);
    Type(Prefix(first));
    Command(ID_VIEW_TREE_TYPES);
    HWND tree = List();
    const std::string branch = "SERVICE_WIN32_OWN_PROCESS (2)";
    HTREEITEM category = TreeView_GetChild(tree, TreeView_GetRoot(tree));
    ASSERT_NE(category, nullptr);
    ASSERT_TRUE(TreeView_SelectItem(tree, category));
    SetFocus(tree);
    Press('C', true);
    std::vector<std::string> tabs = Lines(ClipboardText(CF_TEXT));
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0], context_.resources.LoadText(IDS_TREE_BRANCH_TITLE) + "\t" +
                           context_.resources.LoadText(IDS_COLUMN_NAME) + "\t" +
                           context_.resources.LoadText(IDS_COLUMN_DESCRIPTION) + "\t" +
                           context_.resources.LoadText(IDS_COLUMN_STATE));
    EXPECT_EQ(tabs[1].find(branch + "\t" + first.Name() + "\t"), 0u);
    EXPECT_EQ(tabs[2].find(branch + "\t" + second.Name() + "\t"), 0u);

    const std::string path = wintest::ExeDirectory() + "\\tree-export.txt";
    DeleteFileA(path.c_str());
    {
        User user({[&](HWND dialog) {
            SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, path.c_str());
            User::Press(dialog, IDOK);
        }});
        Command(ID_FILE_EXPORT);
        EXPECT_EQ(user.Finish(), 1);
    }
    std::vector<std::string> lines = Lines(ReadFile(path));
    ASSERT_EQ(lines.size(), 3u) << "the titles, then the two services the filter keeps";
    EXPECT_EQ(lines[2].find(branch + "\t" + second.Name() + "\t"), 0u);
    DeleteFileA(path.c_str());
    Command(ID_VIEW_LIST);
}
