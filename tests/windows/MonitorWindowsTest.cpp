// The watching side in-process, on Wine's service control manager: a
// monitor tick of the main frame alerts and fills the changed services
// window, closing that window ends the alert, and the alert sound comes from
// a language module loaded as resources only.
#include <windows.h>
#include <gtest/gtest.h>
#include <mmsystem.h>

#include <string>
#include <vector>

#include "app/CVantorelMainFrame.h"
#include "framework/Resources.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/LanguageModule.h"
#include "settings/SettingsStore.h"
#include "tests/windows/FrameClass.h"
#include "tests/windows/WineServices.h"
#include "ui/CChangedServicesDlg.h"
#include "ui/CVantorelDocument.h"

using wintest::TestService;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// What an icon looks like in the middle: icons are told apart by their
// pictures, as the handles of the same picture may differ.
COLORREF Middle(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return CLR_INVALID;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    COLORREF colour = GetPixel(dc, 8, 8);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return colour;
}

class MonitorWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        program_ = LoadLibraryExA((wintest::ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program_, nullptr);
        platform_.textsInUse.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
        wintest::RegisterFrameClass();
    }
    void TearDown() override {
        platform_.textsInUse.Set(nullptr, "");
        if (program_) FreeLibrary(program_);
    }

    TestApp app_;
    HMODULE program_ = nullptr;
    platform::Win32Platform platform_;
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
};

TEST_F(MonitorWindowsTest, ATickThatFindsAChangeAlertsAndClosingItsWindowEndsTheAlert) {
    TestService svc("basic");
    CVantorelDocument document(app_, context_);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context_);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    HWND window = frame->GetSafeHwnd();
    COLORREF usual = Middle(context_.resources.LoadSharedSmallIcon(IDI_TRAY));
    EXPECT_EQ(Middle(frame->TrayIconImage()), usual);

    ASSERT_TRUE(svc.StartDirectly());
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    CChangedServicesDlg& changes = frame->ChangesWindow();
    ASSERT_NE(changes.GetSafeHwnd(), nullptr);
    EXPECT_TRUE(IsWindowVisible(changes.GetSafeHwnd()));
    EXPECT_GE(changes.Entries().IndexOf(svc.Name()), 0);
    EXPECT_NE(Middle(frame->TrayIconImage()), usual);
    EXPECT_NE(Middle(frame->TrayIconImage()), CLR_INVALID);
    // The list draws again once the pass's burst of rows is over: the new
    // state, running, is there in green.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_GT(
        wintest::PixelsOf(GetDlgItem(changes.GetSafeHwnd(), IDC_CHANGES_LIST), RGB(0, 128, 0)), 0);

    // Hidden with its rows, the window is pending; closed, it is emptied and
    // the icon is the usual one again.
    ShowWindow(changes.GetSafeHwnd(), SW_HIDE);
    EXPECT_TRUE(changes.HasPendingRows());
    SendMessageA(changes.GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(changes.HasPendingRows());
    EXPECT_EQ(changes.Entries().Count(), 0u);
    EXPECT_EQ(Middle(frame->TrayIconImage()), usual);
    DestroyWindow(window);
}

// The restore window's close ends the alert as the monitor window's does.
TEST_F(MonitorWindowsTest, ClosingTheRestoreWindowEndsTheAlertToo) {
    TestService svc("basic");
    CVantorelDocument document(app_, context_);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    const std::string path = wintest::ExeDirectory() + "\\alert-restore.rpt";
    ASSERT_TRUE(document.Core().SaveSnapshot(platform_.files, platform_.locale, path));
    auto* frame = new CVantorelMainFrame(app_, context_);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    HWND window = frame->GetSafeHwnd();
    ASSERT_TRUE(svc.StartDirectly());
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    COLORREF usual = Middle(context_.resources.LoadSharedSmallIcon(IDI_TRAY));
    ASSERT_NE(Middle(frame->TrayIconImage()), usual);

    // The user closes the restore window as soon as it shows.
    HWND monitorWindow = frame->ChangesWindow().GetSafeHwnd();
    SetTimer(window, 77, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr)
            if (GetDlgItem(found, IDC_CHANGES_LIST) && IsWindowEnabled(found) &&
                !GetPropA(found, "monitor"))
                PostMessageA(found, WM_COMMAND, IDCANCEL, 0);
    });
    SetPropA(monitorWindow, "monitor", reinterpret_cast<HANDLE>(1));
    frame->RestoreFile(path);
    KillTimer(window, 77);
    RemovePropA(monitorWindow, "monitor");
    EXPECT_EQ(Middle(frame->TrayIconImage()), usual);
    DestroyWindow(window);
    DeleteFileA(path.c_str());
}

// Owned by a frame minimised out of sight, the window is centred on the
// work area, not on the minimised frame's place off the screen (from where
// it would only be brought back into a corner).
TEST_F(MonitorWindowsTest, OverAMinimisedFrameTheWindowIsCentredOnTheWorkArea) {
    SettingsStore store(platform_.registry);
    int independent = store.Read(settings::kIndependentWindow);
    ASSERT_TRUE(store.Write(settings::kIndependentWindow, 0));
    TestService svc("basic");
    CVantorelDocument document(app_, context_);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context_);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    HWND window = frame->GetSafeHwnd();
    // Where Windows keeps a minimised window (Wine keeps it on the screen).
    ShowWindow(window, SW_SHOWMINNOACTIVE);
    SetWindowPos(window, nullptr, -32000, -32000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, SW_HIDE);
    ASSERT_TRUE(svc.StartDirectly());
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    HWND changes = frame->ChangesWindow().GetSafeHwnd();
    ASSERT_NE(changes, nullptr);
    RECT shown{}, area{};
    GetWindowRect(changes, &shown);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((shown.left + shown.right) / 2, (area.left + area.right) / 2, 2);
    EXPECT_NEAR((shown.top + shown.bottom) / 2, (area.top + area.bottom) / 2, 2);
    DestroyWindow(window);
    store.Write(settings::kIndependentWindow, independent);
}

// Administrator rights the system would grant, as a test decides.
struct TestElevation : platform::ElevationApi {
    bool elevated = false, grantable = true, granted = false;
    std::string arguments;
    bool IsElevated() override { return elevated; }
    bool CanElevate() override { return !elevated && grantable; }
    bool StartElevated(const std::string&, const std::string& args) override {
        arguments = args;
        return granted;
    }
};

// Without administrator rights the File menu offers them; a refused prompt
// leaves the program as it was, a granted one ends it for the new one.
TEST_F(MonitorWindowsTest, WithoutAdministratorRightsTheFileMenuOffersThem) {
    TestElevation elevation;
    AppContext context{platform_.Interfaces().With(elevation), history_};
    CVantorelDocument document(app_, context);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    HWND window = frame->GetSafeHwnd();
    HMENU file = GetSubMenu(GetMenu(window), 0);
    char text[128] = "";
    GetMenuStringA(file, ID_FILE_RUN_AS_ADMINISTRATOR, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "Ejecutar como administrador");
    EXPECT_EQ(GetMenuItemID(file, GetMenuItemCount(file) - 1), UINT(ID_APP_EXIT));

    SendMessageA(window, WM_COMMAND, ID_FILE_RUN_AS_ADMINISTRATOR, 0);
    EXPECT_TRUE(IsWindow(window)) << "a refused prompt ended the program";
    EXPECT_EQ(elevation.arguments,
              "/Handover:" + std::to_string(GetCurrentProcessId()) + " /View:1");
    elevation.granted = true;
    SendMessageA(window, WM_COMMAND, ID_FILE_RUN_AS_ADMINISTRATOR, 0);
    EXPECT_FALSE(IsWindow(window)) << "the program stayed beside the new one";

    // With the rights already there, no such command.
    elevation.elevated = true;
    CVantorelDocument again(app_, context);
    ASSERT_TRUE(again.Core().OpenDocument("localhost"));
    auto* elevated = new CVantorelMainFrame(app_, context);
    ASSERT_TRUE(elevated->Create(&again));
    HWND second = elevated->GetSafeHwnd();
    EXPECT_EQ(
        GetMenuState(GetSubMenu(GetMenu(second), 0), ID_FILE_RUN_AS_ADMINISTRATOR, MF_BYCOMMAND),
        UINT(-1));
    DestroyWindow(second);
}

// What the program asked to hear.
struct HeardSounds : platform::SoundApi {
    struct Played {
        unsigned id;
        platform::ModuleHandle module;
        uint32_t flags;
    };
    std::vector<Played> played;
    bool PlaySoundA(unsigned id, platform::ModuleHandle module, uint32_t flags) override {
        played.push_back({id, module, flags});
        return true;
    }
};

// A pass that finds a change sounds the alert when the settings ask for it:
// the WAVE of the language module in use, loaded as resources only, played
// to its end.
TEST_F(MonitorWindowsTest, TheAlertSoundComesFromTheLanguageModuleInUse) {
    const std::string path = wintest::ExeDirectory() + "\\Vantorel.en.dll";
    HMODULE english = LoadLibraryExA(path.c_str(), nullptr, LanguageModule::kLoadFlags);
    ASSERT_NE(english, nullptr);
    HRSRC wave = FindResourceA(english, MAKEINTRESOURCEA(IDR_ALERT_SOUND), "WAVE");
    ASSERT_NE(wave, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(english, wave)));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, 4), "RIFF");
    EXPECT_EQ(std::string(data + 8, 4), "WAVE");
    platform_.textsInUse.Set(english, path);
    SettingsStore store(platform_.registry);
    const int beep = store.Read(settings::kMessageBeep);

    HeardSounds heard;
    AppContext context{platform_.Interfaces().With(heard), history_};
    TestService svc("basic");
    CVantorelDocument document(app_, context);
    ASSERT_TRUE(document.Core().OpenDocument("localhost"));
    auto* frame = new CVantorelMainFrame(app_, context);  // it goes with its window
    ASSERT_TRUE(frame->Create(&document));
    HWND window = frame->GetSafeHwnd();
    ASSERT_TRUE(store.Write(settings::kMessageBeep, 0));
    ASSERT_TRUE(svc.StartDirectly());
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    EXPECT_TRUE(heard.played.empty()) << "asked for silence";
    ASSERT_TRUE(store.Write(settings::kMessageBeep, 1));
    ASSERT_TRUE(svc.StopDirectly());
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    ASSERT_EQ(heard.played.size(), 1u);
    EXPECT_EQ(heard.played[0].id, unsigned(IDR_ALERT_SOUND));
    EXPECT_EQ(heard.played[0].module, english);
    EXPECT_EQ(heard.played[0].flags, UINT(SND_RESOURCE | SND_SYNC | SND_NODEFAULT));
    SendMessageA(window, WM_TIMER, CVantorelMainFrame::kMonitorTimer, 0);
    EXPECT_EQ(heard.played.size(), 1u) << "a pass with nothing new is silent";

    DestroyWindow(window);
    store.Write(settings::kMessageBeep, beep);
    platform_.textsInUse.Set(program_, wintest::ExeDirectory() + "\\Vantorel.exe");
    FreeLibrary(english);
}

}  // namespace
