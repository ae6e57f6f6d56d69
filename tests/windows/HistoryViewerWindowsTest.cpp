// The history viewer in-process: a log of two days, two machines and three
// services written by the program's own log code, then browsed as a user
// would: the last day first, then a span, one service, sessions hidden.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/ForwardingFiles.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WineServices.h"
#include "toolkit/DialogControls.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CHistoryDlg.h"

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// The platform's own date texts, at a time the test chooses.
class SetClock : public platform::LocaleTime {
public:
    explicit SetClock(platform::LocaleTime& real) : real_(real) {}
    platform::LocalDateTime now{};
    platform::LocalDateTime Now() override { return now; }
    std::string FormatDateTime(const platform::LocalDateTime& when) override {
        return real_.FormatDateTime(when);
    }
    bool ParseDateTime(const std::string& text, platform::LocalDateTime* when) override {
        return real_.ParseDateTime(text, when);
    }

private:
    platform::LocaleTime& real_;
};

// A day chosen in a picker, as the user's choice tells the dialog.
void ChooseDay(HWND dialog, int picker, int day, bool checked = true) {
    SYSTEMTIME time{2026, 12, 0, static_cast<WORD>(day), 0, 0, 0, 0};
    HWND control = GetDlgItem(dialog, picker);
    SendMessageA(control, DTM_SETSYSTEMTIME, checked ? GDT_VALID : GDT_NONE,
                 checked ? reinterpret_cast<LPARAM>(&time) : 0);
    NMDATETIMECHANGE change{};
    change.nmhdr = {control, static_cast<UINT_PTR>(picker), DTN_DATETIMECHANGE};
    change.dwFlags = checked ? GDT_VALID : GDT_NONE;
    change.st = time;
    SendMessageA(dialog, WM_NOTIFY, picker, reinterpret_cast<LPARAM>(&change));
}

// The real files, but each one read stops after `limit` bytes: with a read
// error, or with an exception nobody expects.
class CutShort : public fake::ForwardingFiles {
public:
    CutShort(platform::FileSystem& inner, uint32_t limit, bool throws)
        : ForwardingFiles(inner), limit_(limit), throws_(throws) {}
    std::unique_ptr<platform::File> CreateFileA(const char* p, uint32_t a, uint32_t s,
                                                uint32_t d) override {
        std::unique_ptr<platform::File> file = ForwardingFiles::CreateFileA(p, a, s, d);
        if (!file) return file;
        return std::make_unique<File>(std::move(file), limit_, throws_);
    }

private:
    class File : public fake::ForwardingFile {
    public:
        File(std::unique_ptr<platform::File> inner, uint32_t left, bool throws)
            : ForwardingFile(std::move(inner)), left_(left), throws_(throws) {}
        bool Read(void* buffer, uint32_t size, uint32_t* read) override {
            if (left_ == 0) {
                if (throws_) throw std::runtime_error("the disk went away");
                SetLastError(ERROR_CRC);
                return false;
            }
            bool ok = ForwardingFile::Read(buffer, std::min(size, left_), read);
            left_ -= ok ? *read : 0;
            return ok;
        }

    private:
        uint32_t left_;
        bool throws_;
    };
    uint32_t limit_;
    bool throws_;
};

class HistoryViewerWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(texts_.Loaded());
        SettingsStore store(platform_.registry);
        previousPath_ = store.ReadLogFilePath();
        ASSERT_TRUE(store.WriteLogFilePath(path_));
        WriteLog();
    }
    void TearDown() override {
        SettingsStore(platform_.registry).WriteLogFilePath(previousPath_);
        DeleteFileA(path_.c_str());
    }
    void At(int day, int hour) { clock_.now = {2026, 12, day, hour, 0, 0}; }
    void WriteLog() {
        HistoryLog log(platform_.files, clock_, platform_.texts);
        log.SetSessionText("Vantorel v1.0.0.0");
        At(6, 8);
        ASSERT_TRUE(log.Open(path_, true));
        log.WriteConnected("localhost");
        At(6, 9);
        log.WriteChange(16, 4, 1, "Spooler");
        log.WriteChange(1, 1, 4, "W32Time");
        At(6, 18);
        log.Close();
        At(7, 8);
        ASSERT_TRUE(log.Open(path_, false));
        log.WriteConnected("localhost");
        At(7, 9);
        log.WriteChange(16, 1, 4, "Spooler");
        log.WriteConnected("srv02");
        At(7, 10);
        log.WriteChange(16, 4, 1, "Remote");
        log.Close();
    }

    TestApp app_;
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    SetClock clock_{platform_.locale};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
    std::string path_ = wintest::ExeDirectory() + "\\viewer-test.log";
    std::string previousPath_;
};

TEST_F(HistoryViewerWindowsTest, TheLastDayComesFirstAndEachFilterNarrowsTheRows) {
    std::string opened;
    wintest::Scripted<CHistoryDlg> viewer(context_,
                                          [&](const std::string& name, HWND) { opened = name; });
    viewer.script = [&](HWND hwnd, int) {
        HWND list = GetDlgItem(hwnd, IDC_HISTORY_LIST);
        auto rows = [&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); };
        auto count = [&] {
            char text[128] = "";
            GetDlgItemTextA(hwnd, IDC_HISTORY_COUNT, text, sizeof text);
            return std::string(text);
        };
        EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_HISTORY_MACHINE, CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendDlgItemMessageA(hwnd, IDC_HISTORY_MACHINE, CB_GETCURSEL, 0, 0), 0);
        // The services are listed once the user turns to their list, the
        // choice of every service kept.
        HWND services = GetDlgItem(hwnd, IDC_HISTORY_SERVICE);
        EXPECT_EQ(dialog::ComboText(services), "Ver todos los servicios");
        SetFocus(services);
        EXPECT_EQ(SendMessageA(services, CB_GETCOUNT, 0, 0), 4);
        EXPECT_EQ(dialog::ComboText(services), "Ver todos los servicios");
        // The 7th: its session, its connection, one change of localhost.
        EXPECT_EQ(rows(), 3);
        EXPECT_EQ(listctrl::CellText(list, 0, 1), "Sesi\xF3n iniciada - Vantorel v1.0.0.0");
        EXPECT_EQ(listctrl::CellText(list, 1, 1), "Conectado a: localhost");
        EXPECT_EQ(listctrl::CellText(list, 2, 2), "Spooler");
        EXPECT_EQ(listctrl::CellText(list, 2, 4), "Iniciado");
        EXPECT_EQ(count(), "Modificaciones detectadas: 1");

        ChooseDay(hwnd, IDC_HISTORY_FROM, 6);
        EXPECT_EQ(rows(), 4) << "the 6th alone while \"to\" is unchecked";
        ChooseDay(hwnd, IDC_HISTORY_TO, 7);
        EXPECT_EQ(rows(), 7);
        EXPECT_EQ(count(), "Modificaciones detectadas: 3");
        ShowWindow(hwnd, SW_SHOW);  // shown only once the queue is empty
        RedrawWindow(hwnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        EXPECT_TRUE(wintest::SaveScreen("history-viewer"));

        // One service: the sessions and connections stay.
        int spooler = static_cast<int>(
            SendMessageA(services, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("Spooler")));
        SendMessageA(services, CB_SETCURSEL, spooler, 0);
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SERVICE, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(services));
        EXPECT_EQ(rows(), 6);
        EXPECT_EQ(count(), "Modificaciones detectadas: 2");
        SendDlgItemMessageA(hwnd, IDC_HISTORY_HIDE_SESSIONS, BM_CLICK, 0, 0);
        EXPECT_EQ(rows(), 2);
        EXPECT_EQ(count(), "Modificaciones detectadas: 2");

        // A double click on a change opens its service's properties.
        LVITEMA state{};
        state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
        NMITEMACTIVATE click{};
        click.hdr = {list, IDC_HISTORY_LIST, NM_DBLCLK};
        click.iItem = 1;
        SendMessageA(hwnd, WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&click));

        // A "to" before "from" shows nothing.
        ChooseDay(hwnd, IDC_HISTORY_FROM, 7);
        ChooseDay(hwnd, IDC_HISTORY_TO, 6);
        EXPECT_EQ(rows(), 0);
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    };
    viewer.DoModal();
    EXPECT_EQ(opened, "Spooler");
}

// A log that cannot be read to its end shows an empty history, as one that
// cannot be opened does, and so does a failure nobody expected while it is
// read: never the rows read before the failure, never an error box.
TEST_F(HistoryViewerWindowsTest, ALogReadOnlyInPartShowsAnEmptyHistory) {
    {
        // Today's changes with no connection: every one of them would show.
        HistoryLog log(platform_.files, platform_.locale, platform_.texts);
        ASSERT_TRUE(log.Open(path_, true));
        for (int i = 0; i < 40; ++i) log.WriteChange(16, 1, 4, "Spooler");
        log.Close();
    }
    for (bool throws : {false, true}) {
        CutShort files(platform_.files, 1000, throws);
        AppContext context{platform_.Interfaces().With(files), history_};
        wintest::Scripted<CHistoryDlg> viewer(context, nullptr);
        LRESULT rows = -1, machines = -1;
        viewer.script = [&](HWND hwnd, int) {
            rows = SendDlgItemMessageA(hwnd, IDC_HISTORY_LIST, LVM_GETITEMCOUNT, 0, 0);
            machines = SendDlgItemMessageA(hwnd, IDC_HISTORY_MACHINE, CB_GETCOUNT, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        };
        // An error box would wait for a user: it is answered and noted.
        std::string box;
        std::atomic<bool> done{false};
        std::thread user([&] {
            for (int i = 0; i < 300 && !done; ++i) {
                Sleep(50);
                // A message box of this process: the viewer itself is one
                // of the dialogs, and other programs may show theirs.
                HWND found = nullptr;
                DWORD process = 0;
                while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
                    GetWindowThreadProcessId(found, &process);
                    if (process == GetCurrentProcessId() && GetDlgItem(found, 0xFFFF)) break;
                }
                if (!found) continue;
                char text[256] = "";
                GetDlgItemTextA(found, 0xFFFF, text, sizeof text);
                box = text;
                PostMessageA(found, WM_COMMAND, IDOK, 0);
            }
        });
        viewer.DoModal();
        done = true;
        user.join();
        EXPECT_EQ(box, "") << throws;
        EXPECT_EQ(rows, 0) << throws;
        EXPECT_EQ(machines, 0) << throws;
    }
}

}  // namespace
