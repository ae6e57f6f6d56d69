// The services views in-process, on Wine's service control manager: rows
// and nodes know their entries through sorting and refreshing, a tick asks
// only for what is on screen, the image lists have one owner, columns keep
// their minimum while dragged, and a failing handler does not take the
// program down.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <new>
#include <set>
#include <string>
#include <thread>

#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeMachine.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/fakes/NewerScm.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CVantorelDocument.h"
#include "ui/CVantorelTreeView.h"
#include "ui/CVantorelView.h"
#include "ui/ServiceViewSupport.h"

using wintest::TestService;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// A tick costs no more calls than the cheaper of one enumeration (two
// calls) and a query per row on screen (three calls a row).
int TickCallsAtMost(int onScreen) {
    return std::min(2, 3 * onScreen);
}

class ViewsWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = LoadLibraryExA((wintest::ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr);
        real_.textsInUse.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
        parent_.CreateEx(0, "STATIC", "views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 600,
                         nullptr, nullptr);
    }
    void TearDown() override {
        parent_.DestroyWindow();
        real_.textsInUse.Set(nullptr, "");
        if (program_) FreeLibrary(program_);
    }
    // The machine's services in a view of the size the frame would give it.
    template <typename View>
    void Show(View& view, int width = 680, int height = 560,
              CVantorelDocument* document = nullptr) {
        if (document == nullptr) document = &document_;
        ASSERT_TRUE(document->Core().OpenDocument("localhost"));
        document->AddView(&view);
        ASSERT_TRUE(view.Create(parent_.GetSafeHwnd(), AFX_IDW_PANE_FIRST));
        MoveWindow(view.GetSafeHwnd(), 0, 0, width, height, TRUE);
        view.OnInitialUpdate();
    }

    TestApp app_;
    HMODULE program_ = nullptr;
    CWnd parent_;
    platform::Win32Platform real_;
    platform::Win32Scm win32_;
    fake::NewerScm newer_{win32_};
    fake::MeteredScm scm_{newer_};
    HistoryLog history_{real_.files, real_.locale, real_.texts};
    AppContext context_{real_.Interfaces().With(scm_), history_};
    CVantorelDocument document_{app_, context_};
};

int RowOf(HWND list, const std::string& name) {
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row)
        if (lstrcmpiA(listctrl::CellText(list, row, 0).c_str(), name.c_str()) == 0) return row;
    return -1;
}

TEST_F(ViewsWindowsTest, RowsFollowTheirServicesThroughASortAndATick) {
    TestService started("basic"), other("basic");
    CVantorelView view(context_);
    Show(view);
    HWND list = view.GetSafeHwnd();
    int state = view.ColumnPosition(kColState);
    ASSERT_GT(state, 0);

    // A click on a title always changes the order of more than one row
    // with different names: the rows no longer stand in entry order, and
    // each must still stand for its own service.
    view.SortByColumn(0);
    int row = RowOf(list, started.Name());
    ASSERT_GE(row, 0);
    LVITEMA select{};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    ServiceEntry* selected = view.GetSelectedEntry();
    ASSERT_NE(selected, nullptr);
    EXPECT_STREQ(selected->name, started.Name().c_str());

    ASSERT_TRUE(started.StartDirectly());
    ASSERT_TRUE(started.WaitFor(SERVICE_RUNNING));
    SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE);
    view.RefreshRows(true);
    EXPECT_EQ(listctrl::CellText(list, row, state), "Iniciado");
    EXPECT_EQ(listctrl::CellText(list, RowOf(list, other.Name()), state), "Parado");

    int onScreen = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    scm_.Reset();
    view.RefreshRows(true);
    EXPECT_GT(scm_.Total(), 0);
    EXPECT_LE(scm_.Total(), TickCallsAtMost(onScreen));

    // Reloaded, the rows stand for the new entries; the selection stays on
    // its service.
    ASSERT_TRUE(document_.LoadServices());
    view.OnUpdate();
    selected = view.GetSelectedEntry();
    ASSERT_NE(selected, nullptr);
    EXPECT_STREQ(selected->name, started.Name().c_str());
    view.DestroyWindow();
}

// F5 reads the machine again: the user's place in the list stays, the
// focused row is not scrolled back into sight.
TEST_F(ViewsWindowsTest, AReloadLeavesTheListWhereTheUserScrolledIt) {
    TestService service("basic");
    CVantorelView view(context_);
    Show(view, 680, 90);
    HWND list = view.GetSafeHwnd();
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    int onScreen = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    ASSERT_GT(rows, 2 * onScreen) << "too few services to scroll away from a row";
    int row = RowOf(list, service.Name());
    ASSERT_GE(row, 0);
    LVITEMA select{};
    select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&select));
    SendMessageA(list, LVM_ENSUREVISIBLE, row < rows / 2 ? rows - 1 : 0, FALSE);
    int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    ASSERT_TRUE(row < top || row >= top + onScreen);

    ReloadServices(&document_);
    EXPECT_EQ(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), top);
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), row);
    ServiceEntry* selected = view.GetSelectedEntry();
    ASSERT_NE(selected, nullptr);
    EXPECT_STREQ(selected->name, service.Name().c_str());
    view.DestroyWindow();
}

TEST_F(ViewsWindowsTest, TheImageListOutlivesTheControlUntilItsOwnerGoes) {
    auto view = std::make_unique<CVantorelView>(context_);
    Show(*view);
    auto images = reinterpret_cast<HIMAGELIST>(
        SendMessageA(view->GetSafeHwnd(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    ASSERT_GE(ImageList_GetImageCount(images), 20);
    // The control goes first, as it does when the frame closes: it must
    // leave the list to the view, which frees it once.
    view->DestroyWindow();
    EXPECT_GE(ImageList_GetImageCount(images), 20);
}

// The header divider dragged as a user drags it.
TEST_F(ViewsWindowsTest, AColumnDraggedNarrowStopsAtTheMinimum) {
    CVantorelView view(context_);
    Show(view);
    HWND header = reinterpret_cast<HWND>(view.SendMessage(LVM_GETHEADER));
    RECT item;
    ASSERT_TRUE(Header_GetItemRect(header, 1, &item));
    int y = (item.top + item.bottom) / 2;
    SendMessageA(header, WM_MOUSEMOVE, 0, MAKELPARAM(item.right - 1, y));
    SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.right - 1, y));
    for (int x = item.right - 10; x > item.left - 20; x -= 10) {
        SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        EXPECT_GE(view.SendMessage(LVM_GETCOLUMNWIDTH, 1), CVantorelView::kMinColumnWidth);
    }
    SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(item.left + 2, y));
    EXPECT_EQ(view.SendMessage(LVM_GETCOLUMNWIDTH, 1), CVantorelView::kMinColumnWidth);
    view.DestroyWindow();
}

// In the dependency tree nearly every service is a root: a tick that walked
// every expanded node would ask for all of them one by one.
std::string TreeText(CVantorelTreeView& tree, HTREEITEM item) {
    return wintest::TreeItemText(tree.GetSafeHwnd(), item);
}

TEST_F(ViewsWindowsTest, ATreeTickAsksOnlyForTheNodesOnScreen) {
    TestService svc("basic");
    CVantorelTreeView tree(context_, ServiceTreeModel::kByDependency);
    Show(tree, 400, 200);
    int onScreen = static_cast<int>(tree.SendMessage(TVM_GETVISIBLECOUNT));
    ASSERT_LT(onScreen, static_cast<int>(document_.Services().GetCount()));
    scm_.Reset();
    tree.RefreshNodes(true);
    EXPECT_GT(scm_.Total(), 0);
    EXPECT_LE(scm_.Total(), TickCallsAtMost(onScreen + 1));

    // The node of a service that starts shows it after a tick that sees it.
    HTREEITEM item = nullptr;
    for (auto i = reinterpret_cast<HTREEITEM>(tree.SendMessage(TVM_GETNEXTITEM, TVGN_ROOT, 0)); i;
         i = reinterpret_cast<HTREEITEM>(
             tree.SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(i))))
        if (svc.Name() == TreeText(tree, i)) item = i;
    ASSERT_NE(item, nullptr);
    tree.SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ASSERT_NE(tree.GetSelectedEntry(), nullptr);
    EXPECT_STREQ(tree.GetSelectedEntry()->name, svc.Name().c_str());
    ASSERT_TRUE(svc.StartDirectly());
    ASSERT_TRUE(svc.WaitFor(SERVICE_RUNNING));
    tree.RefreshNodes(true);
    TVITEMA tv{};
    tv.mask = TVIF_IMAGE;
    tv.hItem = item;
    tree.SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(tv.iImage, 2);
    tree.DestroyWindow();
}

// A window whose handler runs out of memory.
class CFailingWnd : public CWnd {
public:
    explicit CFailingWnd(const Resources& resources) : CWnd(resources) {}
    static constexpr UINT kFail = WM_APP + 7;
    int answered = 0;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kFail) throw std::bad_alloc();
        if (msg == WM_APP + 8) return ++answered;
        return CWnd::WindowProc(msg, wp, lp);
    }
};

TEST_F(ViewsWindowsTest, AHandlerThatFailsIsReportedAndTheWindowGoesOn) {
    CFailingWnd window(context_.resources);
    ASSERT_TRUE(window.CreateEx(0, "STATIC", "failing", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    // The report is a message box of this thread; a user answers it.
    std::string seen;
    std::thread user([&] {
        for (int i = 0; i < 100 && seen.empty(); ++i) {
            Sleep(100);
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
                DWORD pid = 0;
                GetWindowThreadProcessId(box, &pid);
                if (pid != GetCurrentProcessId()) continue;
                char text[512] = "";
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                seen = text;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                break;
            }
        }
    });
    EXPECT_EQ(window.SendMessage(CFailingWnd::kFail), 0);
    user.join();
    char expected[256] = "";
    LoadStringA(program_, IDS_OUT_OF_MEMORY, expected, sizeof expected);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(window.SendMessage(WM_APP + 8), 1);
    window.DestroyWindow();
}

// The list's visible columns for one test, the user's again after it.
class ShownColumns {
public:
    ShownColumns(platform::RegistryApi& registry, uint32_t mask) : store_(registry) {
        old_ = store_.Read(settings::kShowColumns, 7);
        store_.Write(settings::kShowColumns, static_cast<int>(mask));
    }
    ~ShownColumns() { store_.Write(settings::kShowColumns, old_); }

private:
    SettingsStore store_;
    int old_;
};

// Services as Windows 10 and 11 tell them (the flags through a stand-in,
// as Wine's 8-bit calls refuse them): the start type column says delayed
// and trigger starts at one call a row at most, and a service the user
// may not read says so in every configuration column.
TEST_F(ViewsWindowsTest, NewerStartTypesAndRefusedConfigurationsShowInTheirColumns) {
    TestService delayed("basic"), triggered("basic"), refused("basic");
    newer_.delayed[delayed.Name()] = true;
    newer_.triggers[triggered.Name()] = {2};
    newer_.denied.insert(refused.Name());
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceA(manager, delayed.Name().c_str(), SERVICE_CHANGE_CONFIG);
    ASSERT_TRUE(ChangeServiceConfigA(service, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                     SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr));
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    ShownColumns columns(real_.registry, 63);
    CVantorelView view(context_);
    scm_.Reset();
    Show(view);
    EXPECT_LE(scm_.Count("QueryServiceConfig2A"),
              static_cast<int>(document_.Services().GetCount()));
    HWND list = view.GetSafeHwnd();
    int start = view.ColumnPosition(kColStartType);
    EXPECT_EQ(listctrl::CellText(list, RowOf(list, delayed.Name()), start),
              "Autom\xE1tico (inicio retrasado)");
    EXPECT_EQ(listctrl::CellText(list, RowOf(list, triggered.Name()), start),
              "Arranque manual (a demanda) (desencadenado)");
    int row = RowOf(list, refused.Name());
    EXPECT_EQ(listctrl::CellText(list, row, view.ColumnPosition(kColState)), "Parado");
    for (int slot : {kColStartType, kColAccount, kColErrorControl})
        EXPECT_EQ(listctrl::CellText(list, row, view.ColumnPosition(slot)), "(sin acceso)");
}

TEST_F(ViewsWindowsTest, AHiddenStartTypeColumnCostsNoCallForItsFlags) {
    TestService svc("basic");
    newer_.delayed[svc.Name()] = true;
    ShownColumns columns(real_.registry, 1 | 4 | 16);
    CVantorelView view(context_);
    scm_.Reset();
    Show(view);
    EXPECT_GT(scm_.Count("QueryServiceConfigA"), 0) << "the account column reads each one";
    EXPECT_EQ(scm_.Count("QueryServiceConfig2A"), 0);
}

TEST_F(ViewsWindowsTest, PerUserServicesHaveTheirOwnCategoryInTheTreeByType) {
    TestService user("basic"), other("basic");
    newer_.types[user.Name()] = SERVICE_WIN32_SHARE_PROCESS | 0x40;
    CVantorelTreeView tree(context_, ServiceTreeModel::kByType);
    Show(tree);
    HTREEITEM category = nullptr;
    for (auto i = reinterpret_cast<HTREEITEM>(tree.SendMessage(TVM_GETNEXTITEM, TVGN_ROOT, 0)); i;
         i = reinterpret_cast<HTREEITEM>(
             tree.SendMessage(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(i))))
        if (TreeText(tree, i).rfind("Servicios de usuario", 0) == 0) category = i;
    ASSERT_NE(category, nullptr);
    EXPECT_EQ(TreeText(tree, category), "Servicios de usuario (1)");
    auto child = reinterpret_cast<HTREEITEM>(
        tree.SendMessage(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(category)));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(TreeText(tree, child), user.Name());
    tree.DestroyWindow();
}

// A workstation of 300 services of every kind, held in memory as Wine
// cannot: each service has its row once, with the start types and refusals
// the machine holds, and display names beyond ASCII as they are.
TEST_F(ViewsWindowsTest, AWorkstationsServicesEachShowOnceWithTheirStartTypes) {
    fake::Scm machine;
    machine.AddMachine("localhost");
    fake::Workstation made = fake::AddWorkstation(machine);
    AppContext context{real_.Interfaces().With(machine), history_};
    CVantorelDocument document{app_, context};
    ShownColumns columns(real_.registry, 63);
    CVantorelView view(context);
    Show(view, 680, 560, &document);
    HWND list = view.GetSafeHwnd();
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_EQ(rows, static_cast<int>(document.Services().GetCount()));
    ASSERT_GE(rows, static_cast<int>(made.win32));
    std::set<std::string> names;
    int delayed = 0, triggered = 0, refused = 0, beyondAscii = 0;
    const int start = view.ColumnPosition(kColStartType);
    for (int row = 0; row < rows; ++row) {
        names.insert(listctrl::CellText(list, row, 0));
        std::string type = listctrl::CellText(list, row, start);
        delayed += type == "Autom\xE1tico (inicio retrasado)";
        triggered += type.find(" (desencadenado)") != std::string::npos;
        refused += type == "(sin acceso)";
        std::string display = listctrl::CellText(list, row, view.ColumnPosition(kColDescription));
        beyondAscii += std::any_of(display.begin(), display.end(), [](char c) { return c < 0; });
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(rows));
    EXPECT_EQ(refused, static_cast<int>(made.denied));
    EXPECT_GE(delayed + static_cast<int>(made.denied), static_cast<int>(made.delayed));
    EXPECT_GE(triggered + static_cast<int>(made.denied), static_cast<int>(made.triggered));
    EXPECT_GT(beyondAscii, rows / 2);
}

}  // namespace
