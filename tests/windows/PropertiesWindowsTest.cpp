// The service properties dialog in-process, on Wine's service control
// manager: a fixture service edited as a user would and read back from the
// platform; read-only when the platform cannot tell everything; a service
// that is gone.
#include <windows.h>
#include <gtest/gtest.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "document/ServicesDocument.h"
#include "framework/WinApp.h"
#include "monitor/HistoryLog.h"
#include "platform/TextsInUse.h"
#include "platform/win32/Win32Platform.h"
#include "res/resource.h"
#include "settings/CustomActions.h"
#include "tests/fakes/ForwardingScm.h"
#include "tests/fakes/MeteredScm.h"
#include "tests/fakes/NewerScm.h"
#include "tests/windows/ScriptedDialog.h"
#include "tests/windows/WindowWatch.h"
#include "tests/windows/WineServices.h"
#include "tests/windows/WithFailureActions.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CServicePropertiesDlg.h"

using wintest::TestService;

using wintest::StoredService;

namespace {

class TestApp : public CWinApp {
public:
    bool InitInstance() override { return true; }
};

// A service of a type Wine cannot register (a per-user service of Windows
// 10 and 11, say): the configuration reads with that type, and the type a
// write asks for is noted; Wine gets the rest of the write.
class WithType : public wintest::WithFailureActions {
public:
    WithType(platform::ScmApi& inner, uint32_t type)
        : wintest::WithFailureActions(inner), type_(type) {}
    bool QueryServiceConfigA(platform::ScHandle h, void* buffer, uint32_t size,
                             uint32_t* needed) override {
        if (!ForwardingScm::QueryServiceConfigA(h, buffer, size, needed)) return false;
        static_cast<platform::ServiceConfigRecord*>(buffer)->serviceType = type_;
        return true;
    }
    bool ChangeServiceConfigA(platform::ScHandle h, uint32_t type, uint32_t s, uint32_t e,
                              const char* b, const char* g, uint32_t* tag, const char* d,
                              const char* a, const char* p, const char* n) override {
        sentTypes.push_back(type);
        return ForwardingScm::ChangeServiceConfigA(h, SERVICE_NO_CHANGE, s, e, b, g, tag, d, a, p,
                                                   n);
    }
    std::vector<uint32_t> sentTypes;

private:
    uint32_t type_;
};

HWND Page(HWND dialog, int control) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, control)) return child;
    return nullptr;
}

std::string Text(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The message box this thread shows over `owner`, answered with `answer`.
std::string Answer(HWND owner, int answer) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
        if (GetWindow(box, GW_OWNER) == owner) break;
    if (!box) return "no message box";
    char text[512] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    SendMessageA(box, WM_COMMAND, answer, 0);
    return text;
}

StoredService Read(const std::string& name) {
    return wintest::ReadStoredService(name);
}

class PropertiesWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(texts_.Loaded());
        ASSERT_TRUE(svc_.Registered());
    }
    void TearDown() override {
        WriteCustomActions(platform_.registry, svc_.Name(), CustomActions());
    }

    TestApp app_;
    TestService svc_{"basic"};
    platform::Win32Platform platform_;
    wintest::ProgramTexts texts_{platform_.textsInUse};
    HistoryLog history_{platform_.files, platform_.locale, platform_.texts};
    AppContext context_{platform_.Interfaces(), history_};
};

TEST_F(PropertiesWindowsTest, AUsersEditsReachTheServiceControlManagerAfterTheQuestion) {
    wintest::WithFailureActions scm(platform_.scm);
    ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    context_.logOpen = true;
    wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
    ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
    std::string question;
    dialog.script = [&](HWND hwnd, int step) {
        HWND config = Page(hwnd, IDC_PROPERTIES_START_TYPE);
        HWND advanced = Page(hwnd, IDC_PROPERTIES_RECOVERY);
        HWND actions = Page(hwnd, IDC_ACTIONS_ALWAYS_RUNNING);
        ASSERT_TRUE(config && advanced && actions);
        switch (step) {
            case 0: {
                EXPECT_EQ(Text(hwnd), "Propiedades de un servicio (" + svc_.Name() + ")");
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hwnd, IDOK)));
                EXPECT_EQ(
                    SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_GETCURSEL, 0, 0),
                    SERVICE_DEMAND_START);
                char item[128] = "";
                SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_GETLBTEXT, 2,
                                    reinterpret_cast<LPARAM>(item));
                EXPECT_STREQ(item, "Arranque autom\xE1tico del servicio");
                EXPECT_TRUE(IsDlgButtonChecked(config, IDC_PROPERTIES_OWN_PROCESS));
                HWND recovery = GetDlgItem(advanced, IDC_PROPERTIES_RECOVERY);
                ASSERT_EQ(SendMessageA(recovery, LVM_GETITEMCOUNT, 0, 0), 2);
                EXPECT_EQ(listctrl::CellText(recovery, 0, 1), "Reiniciar el servicio");
                EXPECT_EQ(listctrl::CellText(recovery, 0, 2), "1 min.");
                EXPECT_EQ(listctrl::CellText(recovery, 1, 0), "2");
                EXPECT_EQ(listctrl::CellText(recovery, 1, 1), "Ejecutar un comando");
                EXPECT_EQ(listctrl::CellText(recovery, 1, 2), "1500 ms.");
                ShowWindow(hwnd, SW_SHOW);  // shown only once the queue is empty
                for (int page = 0; page < CServicePropertiesDlg::kPages; ++page) {
                    dialog.SelectPage(page);
                    RedrawWindow(hwnd, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    EXPECT_TRUE(wintest::SaveScreen("properties-" + std::to_string(page)));
                }
                // Checking one always-box clears the other.
                SendDlgItemMessageA(actions, IDC_ACTIONS_ALWAYS_STOPPED, BM_CLICK, 0, 0);
                SendDlgItemMessageA(actions, IDC_ACTIONS_ALWAYS_RUNNING, BM_CLICK, 0, 0);
                EXPECT_FALSE(IsDlgButtonChecked(actions, IDC_ACTIONS_ALWAYS_STOPPED));
                SendDlgItemMessageA(actions, IDC_ACTIONS_DISABLE_LOG, BM_CLICK, 0, 0);
                dialog.SelectPage(CServicePropertiesDlg::kConfigPage);
                SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_SETCURSEL, 2, 0);
                SendDlgItemMessageA(config, IDC_PROPERTIES_ERROR_CONTROL, CB_SETCURSEL, 2, 0);
                SendDlgItemMessageA(config, IDC_PROPERTIES_INTERACTIVE, BM_CLICK, 0, 0);
                SetDlgItemTextA(config, IDC_PROPERTIES_DESCRIPTION, "Edited in the test");
                SetDlgItemTextA(hwnd, IDC_PROPERTIES_DISPLAY_NAME, "Vantorel edited");
                // No leaves everything as it was, and the dialog open.
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                EXPECT_EQ(Read(svc_.Name()).config.dwStartType, DWORD(SERVICE_DEMAND_START));
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                break;
            }
            case 1:
                EXPECT_EQ(Answer(hwnd, IDNO).rfind("La modificaci\xF3n de la configuraci\xF3n", 0),
                          0u);
                break;
            case 2:
                question = Answer(hwnd, IDYES);
                break;
            default:
                break;
        }
    };
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_NE(question, "no message box");

    StoredService stored = Read(svc_.Name());
    EXPECT_EQ(stored.config.dwStartType, DWORD(SERVICE_AUTO_START));
    EXPECT_EQ(stored.config.dwErrorControl, DWORD(SERVICE_ERROR_SEVERE));
    EXPECT_EQ(stored.config.dwServiceType,
              DWORD(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
    EXPECT_EQ(stored.displayName, "Vantorel edited");
    EXPECT_EQ(stored.description, "Edited in the test");
    CustomActions kept;
    kept.alwaysRunning = kept.disableLog = true;
    EXPECT_EQ(ReadCustomActions(platform_.registry, svc_.Name()), kept);
}

// The service goes while the dialog is open: the refused write is shown,
// and the dialog stays with the user's edits.
TEST_F(PropertiesWindowsTest, AWriteThePlatformRefusesIsShownAndTheDialogStays) {
    wintest::WithFailureActions scm(platform_.scm);
    ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
    ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
    std::string refusal;
    bool stayed = false;
    dialog.script = [&](HWND hwnd, int step) {
        switch (step) {
            case 0:
                SetDlgItemTextA(hwnd, IDC_PROPERTIES_DISPLAY_NAME, "Never written");
                svc_.Delete();
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                stayed = IsWindow(hwnd) &&
                         Text(GetDlgItem(hwnd, IDC_PROPERTIES_DISPLAY_NAME)) == "Never written";
                SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
                break;
            case 1:
                PostMessageA(hwnd, wintest::kStep, 0, 0);
                Answer(hwnd, IDYES);
                break;
            case 2:
                refusal = Answer(hwnd, IDOK);
                if (refusal == "no message box") dialog.Retry();  // still writing
                break;
            default:
                break;
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(stayed);
    EXPECT_NE(refusal, "no message box");
    EXPECT_FALSE(refusal.empty()) << "the platform's reason";
}

// On a machine where each call takes 100 ms the dialog asks and writes on
// a thread of its own: its owner answers all the while, and the dialog takes
// no second OK or Esc halfway. Asked while another operation holds the
// services, it says to wait and does not come.
TEST_F(PropertiesWindowsTest, OnASlowMachineTheWindowsAnswerAndABusyOneIsRefused) {
    fake::MeteredScm metered(platform_.scm);
    metered.wait = [](uint32_t ms) { Sleep(ms); };
    wintest::WithFailureActions scm(metered);
    ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    CWnd owner;
    owner.CreateEx(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                   nullptr);
    metered.latencyMs = 100;
    wintest::Watcher watcher(owner.GetSafeHwnd(), "", {}, false);
    wintest::Scripted<CServicePropertiesDlg> dialog(context_, document, owner.GetSafeHwnd());
    ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
    bool takenHalfway = true;
    dialog.script = [&](HWND hwnd, int step) {
        if (step == 0) {
            SetDlgItemTextA(hwnd, IDC_PROPERTIES_DISPLAY_NAME, "Written slowly");
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
        } else if (step == 1) {
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            Answer(hwnd, IDYES);
        } else if (step == 2) {  // while the writes wait on the platform
            takenHalfway = IsWindowEnabled(hwnd) != FALSE;
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        }
    };
    DWORD began = GetTickCount();
    EXPECT_EQ(dialog.DoModal(), IDOK);
    DWORD took = GetTickCount() - began;
    watcher.Stop();
    metered.latencyMs = 0;
    EXPECT_GE(took, 1000u) << "the calls took their time";
    EXPECT_LE(watcher.LongestMs(), 250u) << "the owner kept answering";
    EXPECT_FALSE(takenHalfway);
    EXPECT_EQ(Read(svc_.Name()).displayName, "Written slowly");

    document.busy = true;
    wintest::Watcher closer(owner.GetSafeHwnd());
    wintest::Scripted<CServicePropertiesDlg> refused(context_, document, owner.GetSafeHwnd());
    ASSERT_TRUE(refused.SetEntryByName(svc_.Name(), true));
    bool shown = false;
    refused.script = [&](HWND hwnd, int) {
        shown = true;
        SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    closer.Stop();
    EXPECT_FALSE(shown);
    EXPECT_EQ(closer.MessageBoxesClosed(), 1) << "the wait was said";
    document.busy = false;
    owner.DestroyWindow();
}

// Wine's own answer to the failure-actions query is a refusal: the dialog
// shows what it has and allows no change; Escape on a page closes it.
TEST_F(PropertiesWindowsTest, WhatThePlatformCannotTellMakesTheDialogReadOnly) {
    if (!wintest::RunningUnderWine()) GTEST_SKIP() << "Windows tells the failure actions";
    ServicesDocument document(platform_.scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
    ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
    dialog.script = [&](HWND hwnd, int) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, IDOK)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hwnd, IDC_PROPERTIES_DISPLAY_NAME)));
        HWND config = Page(hwnd, IDC_PROPERTIES_START_TYPE);
        EXPECT_NE(Text(GetDlgItem(config, IDC_PROPERTIES_PATH)), "");
        EXPECT_FALSE(IsWindowEnabled(
            GetDlgItem(Page(hwnd, IDC_ACTIONS_DISABLE_LOG), IDC_ACTIONS_DISABLE_LOG)))
            << "no history log is open";
        HWND state = Page(hwnd, IDC_PROPERTIES_STATE);
        EXPECT_EQ(SendDlgItemMessageA(state, IDC_PROPERTIES_STATE, CB_GETCURSEL, 0, 0),
                  SERVICE_STOPPED);
        EXPECT_EQ(Text(GetDlgItem(hwnd, IDC_PROPERTIES_READ_ONLY)).rfind("Solo lectura: ", 0), 0u);
        SendMessageA(hwnd, WM_COMMAND, IDOK, 0);  // not editable: nothing happens
        SendMessageA(state, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(Read(svc_.Name()).config.dwStartType, DWORD(SERVICE_DEMAND_START));
}

// OK writes the display name of a per-user service without touching its
// type; a click on the interactive box changes that bit alone.
TEST_F(PropertiesWindowsTest, OKKeepsEveryTypeBitTheBoxesDoNotShow) {
    for (uint32_t type : {0x50u, 0xE0u}) {
        WithType scm(platform_.scm, type);
        ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
        ASSERT_TRUE(document.OpenDocument("localhost"));
        for (bool clickInteractive : {false, true}) {
            wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
            ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
            const std::string name = "Per-user " + std::to_string(clickInteractive);
            dialog.script = [&](HWND hwnd, int step) {
                if (step == 0) {
                    SetDlgItemTextA(hwnd, IDC_PROPERTIES_DISPLAY_NAME, name.c_str());
                    if (clickInteractive)
                        SendDlgItemMessageA(Page(hwnd, IDC_PROPERTIES_INTERACTIVE),
                                            IDC_PROPERTIES_INTERACTIVE, BM_CLICK, 0, 0);
                    PostMessageA(hwnd, wintest::kStep, 0, 0);
                    SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
                } else if (step == 1) {
                    Answer(hwnd, IDYES);
                }
            };
            ASSERT_EQ(dialog.DoModal(), IDOK) << std::hex << type;
            EXPECT_EQ(Read(svc_.Name()).displayName, name);
        }
        EXPECT_EQ(scm.sentTypes, (std::vector<uint32_t>{SERVICE_NO_CHANGE, type | 0x100}))
            << std::hex << type;
    }
}

// Enter on a page asks the dialog's question; after a No the page is still
// there to be edited.
TEST_F(PropertiesWindowsTest, EnterOnAPageAsksAndAfterANoThePageStays) {
    wintest::WithFailureActions scm(platform_.scm);
    ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
    ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
    std::string question;
    bool pageShown = false;
    dialog.script = [&](HWND hwnd, int step) {
        HWND config = Page(hwnd, IDC_PROPERTIES_START_TYPE);
        if (step == 0) {
            SendMessageA(config, WM_COMMAND, IDOK, 0);
            PostMessageA(hwnd, wintest::kStep, 0, 0);
        } else if (step == 1) {
            question = Answer(hwnd, IDNO);
            PostMessageA(hwnd, wintest::kStep, 0, 0);
        } else {
            pageShown = (GetWindowLongPtrA(config, GWL_STYLE) & WS_VISIBLE) != 0;
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        }
    };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(question.rfind("La modificaci\xF3n de la configuraci\xF3n", 0), 0u) << question;
    EXPECT_TRUE(pageShown);
}

// A service deleted since the list was loaded: said so, and no dialog.
TEST_F(PropertiesWindowsTest, AServiceThatIsGoneIsSaidSoAndNoDialogComes) {
    ServicesDocument document(platform_.scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    svc_.Delete();
    ASSERT_TRUE(document.LoadServices());
    std::string said;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    SetTimer(owner, 1, 200, [](HWND, UINT, UINT_PTR, DWORD) {});
    std::thread user([&] {
        for (int i = 0; i < 100 && said.empty(); ++i) {
            Sleep(100);
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
                if (GetWindow(box, GW_OWNER) == owner) break;
            if (!box) continue;
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            said = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
    CServicePropertiesDlg::ShowByName(context_, document, svc_.Name(), owner);
    user.join();
    EXPECT_EQ(said, "No se encuentra el estado del servicio " + svc_.Name() +
                        "\nPuede que el servicio haya sido borrado");
    DestroyWindow(owner);
}

}  // namespace

namespace {

std::vector<std::string> ListBoxItems(HWND box) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char item[256] = "";
        SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
        items.push_back(item);
    }
    return items;
}

}  // namespace

// The delayed start is the start type list's last choice: choosing it
// writes the automatic start and the flag, plain automatic clears the flag
// (through a stand-in: Wine's 8-bit calls refuse the flag). The state page
// names the start triggers.
TEST_F(PropertiesWindowsTest, TheDelayedChoiceWritesTheStartTypeAndItsFlag) {
    fake::NewerScm scm(platform_.scm);
    scm.delayed[svc_.Name()] = true;
    scm.triggers[svc_.Name()] = {1, 20, 99};
    ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
    ASSERT_TRUE(document.OpenDocument("localhost"));
    ASSERT_TRUE(document.commands.ChangeConfig(
        svc_.Name().c_str(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    std::vector<LRESULT> shown;
    for (int choice : {2, 5}) {
        wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
        ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
        dialog.script = [&](HWND hwnd, int step) {
            if (step == 1) Answer(hwnd, IDYES);
            if (step != 0) return;
            HWND config = Page(hwnd, IDC_PROPERTIES_START_TYPE);
            shown.push_back(
                SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_GETCURSEL, 0, 0));
            char item[128] = "";
            SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_GETLBTEXT, 5,
                                reinterpret_cast<LPARAM>(item));
            EXPECT_STREQ(item, "Autom\xE1tico (inicio retrasado)");
            HWND state = Page(hwnd, IDC_PROPERTIES_TRIGGERS);
            EXPECT_EQ(ListBoxItems(GetDlgItem(state, IDC_PROPERTIES_TRIGGERS)),
                      (std::vector<std::string>{"Llegada de dispositivo", "Personalizado",
                                                "Desconocido (99)"}));
            SendDlgItemMessageA(config, IDC_PROPERTIES_START_TYPE, CB_SETCURSEL, choice, 0);
            PostMessageA(hwnd, wintest::kStep, 0, 0);
            SendMessageA(hwnd, WM_COMMAND, IDOK, 0);
        };
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(Read(svc_.Name()).config.dwStartType, DWORD(SERVICE_AUTO_START));
    }
    EXPECT_EQ(shown, (std::vector<LRESULT>{5, 2}));
    EXPECT_EQ(scm.delayedWrites, (std::vector<bool>{false, true}));
}

// A per-user service says its kind; a configuration the user may not read
// leaves the dialog read-only with the platform's reason.
TEST_F(PropertiesWindowsTest, APerUserKindAndARefusedConfigurationAreSaid) {
    struct Case {
        uint32_t type;
        bool denied;
        const char* kind;
    } cases[] = {{0x60, false, "Servicio de usuario: plantilla"},
                 {0xE0, false, "Servicio de usuario: instancia"},
                 {0x10, true, ""}};
    for (const Case& c : cases) {
        fake::NewerScm scm(platform_.scm);
        scm.types[svc_.Name()] = c.type;
        if (c.denied) scm.denied.insert(svc_.Name());
        ServicesDocument document(scm, platform_.registry, platform_.texts, platform_.clock);
        ASSERT_TRUE(document.OpenDocument("localhost"));
        wintest::Scripted<CServicePropertiesDlg> dialog(context_, document);
        ASSERT_TRUE(dialog.SetEntryByName(svc_.Name(), true));
        dialog.script = [&](HWND hwnd, int) {
            HWND state = Page(hwnd, IDC_PROPERTIES_USER_KIND);
            EXPECT_EQ(Text(GetDlgItem(state, IDC_PROPERTIES_USER_KIND)), c.kind);
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(hwnd, IDOK)) != FALSE, !c.denied);
            std::string reason = Text(GetDlgItem(hwnd, IDC_PROPERTIES_READ_ONLY));
            EXPECT_EQ(reason, c.denied ? "Solo lectura: " + platform_.scm.FormatMessageA(5) : "");
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        };
        EXPECT_EQ(dialog.DoModal(), IDCANCEL) << std::hex << c.type;
    }
}
