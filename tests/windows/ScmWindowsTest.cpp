// ServiceList and the document's service commands against the real service
// control manager, driving the fixture services.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "document/ServiceCommands.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32Scm.h"
#include "platform/win32/Win32TextSource.h"
#include "res/resource.h"
#include "scm/PendingWait.h"
#include "scm/ServiceEntryArray.h"
#include "tests/windows/WineServices.h"

using wintest::TestService;

namespace {

std::string Upper(std::string text) {
    CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

class ScmWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::DeleteLeftoverServices(); }

    bool Load(ServiceList& l) { return l.Enumerate(); }
    // Waits on the list's own entry until it shows `state`.
    bool WaitForEntry(const std::string& name, DWORD state, DWORD timeoutMs = 15000) {
        DWORD start = GetTickCount();
        for (;;) {
            list.RefreshStatus(name.c_str());
            const ServiceEntry* e = list.PeekEntry(name.c_str());
            if (e != nullptr && e->currentState == state) return true;
            if (GetTickCount() - start > timeoutMs) return false;
            Sleep(20);
        }
    }
    std::string SystemText(DWORD code) { return api.FormatMessageA(code); }

    platform::Win32Scm api;
    platform::Win32Clock clock;
    platform::Win32TextSource texts;
    ServiceList list{api};
    std::string lastError;
    ServiceCommands commands{list, lastError, texts, clock};
};

TEST_F(ScmWindowsTest, EnumerationFiltersByStateAndTypeAndFindsNamesInAnyCase) {
    TestService idle("basic"), busy("basic");
    ASSERT_TRUE(idle.Registered() && busy.Registered());
    ASSERT_TRUE(busy.StartDirectly());

    ASSERT_TRUE(list.Enumerate()) << list.GetErrorText();
    EXPECT_GE(list.FindIndex(idle.Name().c_str()), 0);
    EXPECT_GE(list.FindIndex(Upper(busy.Name()).c_str()), 0);
    EXPECT_EQ(list.FindEntry(busy.Name().c_str())->currentState, SERVICE_RUNNING);
    EXPECT_EQ(list.FindIndex(("Vantorel test " + idle.Name()).c_str()), -1);
    EXPECT_EQ(list.GetErrorCode(), kErrNotFound);

    list.inactive = 0;
    ASSERT_TRUE(list.Enumerate());
    EXPECT_EQ(list.FindIndex(idle.Name().c_str()), -1);
    EXPECT_GE(list.FindIndex(busy.Name().c_str()), 0);
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        EXPECT_NE(list.EntryAt(i)->currentState, static_cast<uint32_t>(SERVICE_STOPPED));

    list.inactive = 1;
    list.active = 0;
    ASSERT_TRUE(list.Enumerate());
    EXPECT_GE(list.FindIndex(idle.Name().c_str()), 0);
    EXPECT_EQ(list.FindIndex(busy.Name().c_str()), -1);

    list.active = 1;
    list.win32 = 0;
    list.driver = 1;
    ASSERT_TRUE(list.Enumerate()) << list.GetErrorText();
    EXPECT_EQ(list.FindIndex(idle.Name().c_str()), -1);
    for (uint32_t i = 0; i < list.GetCount(); ++i)
        EXPECT_NE(list.EntryAt(i)->serviceType & SERVICE_DRIVER, 0u) << list.EntryAt(i)->name;

    list.driver = 0;
    EXPECT_FALSE(list.Enumerate());
    EXPECT_EQ(list.GetErrorCode(), kErrArgument);
}

TEST_F(ScmWindowsTest, StartPauseContinueAndStopThroughTheDocumentCommands) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    ServiceEntry* entry = list.FindEntry(svc.Name().c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->currentState, SERVICE_STOPPED);

    ASSERT_TRUE(commands.StartOrContinue(*entry)) << lastError;
    EXPECT_TRUE(WaitForEntry(svc.Name(), SERVICE_RUNNING));
    ASSERT_TRUE(commands.PauseService(*entry)) << lastError;
    EXPECT_TRUE(WaitForEntry(svc.Name(), SERVICE_PAUSED));
    ASSERT_TRUE(commands.StartOrContinue(*entry)) << lastError;
    EXPECT_TRUE(WaitForEntry(svc.Name(), SERVICE_RUNNING));
    ASSERT_TRUE(commands.RestartService(*entry)) << lastError;
    EXPECT_TRUE(WaitForEntry(svc.Name(), SERVICE_RUNNING));
    ASSERT_TRUE(commands.StopService(*entry)) << lastError;
    EXPECT_TRUE(WaitForEntry(svc.Name(), SERVICE_STOPPED));
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

TEST_F(ScmWindowsTest, EnsureRunningAndEnsureStoppedFromEveryReachableState) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    const char* name = svc.Name().c_str();

    EXPECT_TRUE(commands.EnsureServiceStopped(name, 10));  // already stopped
    EXPECT_TRUE(commands.EnsureServiceRunning(name, 10));  // from stopped
    ASSERT_TRUE(svc.WaitFor(SERVICE_RUNNING));
    EXPECT_TRUE(commands.EnsureServiceRunning(name, 10));  // already running
    EXPECT_TRUE(commands.EnsureServiceStopped(name, 10));  // from running
    ASSERT_TRUE(svc.WaitFor(SERVICE_STOPPED));

    ASSERT_TRUE(svc.StartDirectly());
    ASSERT_TRUE(list.Pause(name));
    ASSERT_TRUE(svc.WaitFor(SERVICE_PAUSED));
    EXPECT_TRUE(commands.EnsureServiceRunning(name, 10));  // from paused: continue
    ASSERT_TRUE(svc.WaitFor(SERVICE_RUNNING));
    ASSERT_TRUE(list.Pause(name));
    ASSERT_TRUE(svc.WaitFor(SERVICE_PAUSED));
    EXPECT_TRUE(commands.EnsureServiceStopped(name, 10));  // from paused: stop
    EXPECT_TRUE(svc.WaitFor(SERVICE_STOPPED));
    EXPECT_EQ(lastError, "");
}

TEST_F(ScmWindowsTest, AServiceThatRefusesToStopGivesTheStopMessage) {
    TestService svc("nostop");
    ASSERT_TRUE(svc.StartDirectly());
    ASSERT_TRUE(list.Enumerate());
    ServiceEntry* entry = list.FindEntry(svc.Name().c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(commands.StopService(*entry));
    EXPECT_EQ(list.GetErrorCode(), kErrControl);
    DWORD code = ERROR_INVALID_SERVICE_CONTROL;
    EXPECT_EQ(lastError, "Error parando el servicio " + svc.Name() + "\n" + SystemText(code));
    EXPECT_EQ(entry->currentState, SERVICE_RUNNING);
    EXPECT_FALSE(commands.EnsureServiceStopped(svc.Name().c_str(), 3));
    EXPECT_EQ(lastError.rfind("Error parando el servicio " + svc.Name() + "\n", 0), 0u);
    EXPECT_EQ(svc.State(), static_cast<DWORD>(SERVICE_RUNNING));
}

TEST_F(ScmWindowsTest, AServiceStuckStopPendingDoesNotHoldTheRestart) {
    TestService svc("stuck");
    ASSERT_TRUE(svc.StartDirectly());
    ASSERT_TRUE(list.Enumerate());
    ServiceEntry* entry = list.FindEntry(svc.Name().c_str());
    ASSERT_NE(entry, nullptr);

    DWORD start = GetTickCount();
    EXPECT_FALSE(commands.RestartService(*entry));
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, kPendingWaitLimitMs - 100);
    EXPECT_LT(elapsed, kPendingWaitLimitMs + 10000);
    EXPECT_EQ(entry->currentState, SERVICE_STOP_PENDING);
    EXPECT_NE(entry->waitHint, 0u);
    EXPECT_EQ(lastError.rfind("Error reiniciando el servicio " + svc.Name() + "\n", 0), 0u)
        << lastError;
    EXPECT_GT(lastError.size(), ("Error reiniciando el servicio " + svc.Name() + "\n").size());

    // Stop pending already counts as stopped: nothing is sent.
    EXPECT_TRUE(commands.EnsureServiceStopped(svc.Name().c_str(), 10));
}

TEST_F(ScmWindowsTest, ConfigurationAndDescriptionReadBackAfterAChange) {
    TestService svc("basic", "Before");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    const char* name = svc.Name().c_str();

    platform::ServiceConfigRecord* config = nullptr;
    ASSERT_TRUE(list.QueryConfig(name, &config)) << list.GetErrorText();
    EXPECT_EQ(config->startType, static_cast<uint32_t>(SERVICE_DEMAND_START));
    EXPECT_NE(std::string(config->binaryPathName).find("svcfixture.exe"), std::string::npos);
    EXPECT_STREQ(config->displayName, "Before");
    ServiceList::FreeBuffer(config);

    ASSERT_TRUE(commands.ChangeConfig(name, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                      SERVICE_ERROR_IGNORE, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, "After"))
        << lastError;
    ASSERT_TRUE(commands.ChangeDescription(name, "Servicio de prueba")) << lastError;

    config = nullptr;
    ASSERT_TRUE(list.QueryConfig(name, &config));
    EXPECT_EQ(config->startType, static_cast<uint32_t>(SERVICE_AUTO_START));
    EXPECT_EQ(config->errorControl, static_cast<uint32_t>(SERVICE_ERROR_IGNORE));
    EXPECT_STREQ(config->displayName, "After");
    ServiceList::FreeBuffer(config);

    platform::ServiceDescription* description = nullptr;
    ASSERT_TRUE(list.QueryDescription(name, &description)) << list.GetErrorText();
    EXPECT_STREQ(description->description, "Servicio de prueba");
    ServiceList::FreeBuffer(description);

    EXPECT_FALSE(commands.ChangeConfig(name, SERVICE_NO_CHANGE, 77, SERVICE_NO_CHANGE, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(list.GetErrorCode(), kErrChangeConfig);
    EXPECT_EQ(lastError, list.GetErrorText());
    EXPECT_FALSE(lastError.empty());
}

TEST_F(ScmWindowsTest, FailureActionsAreReadWithTheirActions) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    platform::ServiceFailureActions* actions = nullptr;
    bool ok = list.QueryFailureActions(svc.Name().c_str(), &actions);
    if (!ok && wintest::RunningUnderWine()) {
        // The refusal is the list's failure as any other.
        EXPECT_EQ(list.GetErrorCode(), kErrQueryConfig);
        EXPECT_FALSE(std::string(list.GetErrorText()).empty());
        GTEST_SKIP() << "Wine answers the failure actions with an error; Windows with the record";
    }
    ASSERT_TRUE(ok) << list.GetErrorText();
    EXPECT_EQ(actions->actionCount, 0u);
    ServiceList::FreeBuffer(actions);
}

// What the platform keeps of the delayed flag and the triggers through the
// 8-bit calls the program uses; where Wine refuses one, the refusal is the
// list's failure as any other and the decorators of the window tests stand in.
TEST_F(ScmWindowsTest, TheDelayedFlagAndTheTriggersAsThePlatformKeepsThem) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    const char* name = svc.Name().c_str();
    ASSERT_TRUE(commands.ChangeConfig(name, SERVICE_NO_CHANGE, SERVICE_AUTO_START,
                                      SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, nullptr, nullptr));
    std::string refused;
    auto delayed = [&]() {
        platform::ServiceDelayedAutoStartInfo* info = nullptr;
        bool read = list.QueryDelayedStart(name, &info);
        int answer = read ? info->delayedAutostart != 0 : -1;
        if (!read) refused += "delayed query " + std::to_string(list.GetPlatformError()) + "; ";
        ServiceList::FreeBuffer(info);
        return answer;
    };
    int before = delayed();
    if (!commands.ChangeDelayedStart(name, true)) {
        refused += "delayed change " + std::to_string(list.GetPlatformError()) + "; ";
        EXPECT_FALSE(lastError.empty());
    } else {
        EXPECT_EQ(delayed(), 1);
        EXPECT_TRUE(commands.ChangeDelayedStart(name, false));
        EXPECT_EQ(delayed(), before);
    }

    platform::ServiceTriggerInfo* triggers = nullptr;
    if (list.QueryTriggers(name, &triggers))
        EXPECT_EQ(triggers->triggerCount, 0u);
    else
        refused += "trigger query " + std::to_string(list.GetPlatformError()) + "; ";
    ServiceList::FreeBuffer(triggers);
    // The list's one query beside the configuration never fails the row.
    platform::ServiceConfigRecord* config = nullptr;
    StartFlags flags;
    EXPECT_TRUE(list.QueryConfigAndStart(name, &config, &flags)) << list.GetErrorText();
    EXPECT_FALSE(flags.triggered);
    ServiceList::FreeBuffer(config);
    if (!refused.empty() && wintest::RunningUnderWine())
        GTEST_SKIP() << "Wine refuses: " << refused;
    EXPECT_EQ(refused, "");
}

TEST_F(ScmWindowsTest, AServiceDeletedAfterTheEnumerationGivesError6) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    svc.Delete();
    EXPECT_FALSE(list.Start(svc.Name().c_str()));
    EXPECT_EQ(list.GetErrorCode(), kErrOpenService);
    EXPECT_EQ(std::string(list.GetErrorText()), SystemText(ERROR_SERVICE_DOES_NOT_EXIST));
    ServiceEntry* entry = list.FindEntry(svc.Name().c_str());
    ASSERT_NE(entry, nullptr);
    list.RefreshStatus(svc.Name().c_str());
    EXPECT_EQ(entry->currentState, SERVICE_STOPPED);
}

TEST_F(ScmWindowsTest, RefreshAllStatusSeesAStateChangeMadeElsewhere) {
    TestService svc("basic");
    ASSERT_TRUE(svc.Registered());
    ASSERT_TRUE(list.Enumerate());
    ASSERT_TRUE(svc.StartDirectly());
    EXPECT_EQ(list.FindEntry(svc.Name().c_str())->currentState, SERVICE_STOPPED);
    EXPECT_EQ(list.RefreshAllStatus(), list.GetCount());
    EXPECT_EQ(list.FindEntry(svc.Name().c_str())->currentState, SERVICE_RUNNING);

    ServiceEntryArray copy;
    ASSERT_TRUE(copy.CopyFrom(list));
    EXPECT_EQ(copy.GetCount(), static_cast<int>(list.GetCount()));
}

TEST_F(ScmWindowsTest, AnUnknownMachineIsReportedWithTheSystemsMessage) {
    list.SetMachineName("\\\\vantorel-no-such-host");
    bool ok = list.Enumerate();
    if (ok && wintest::RunningUnderWine())
        GTEST_SKIP() << "Wine's service control manager ignores the machine name and answers "
                        "for the local one; Windows fails the connection";
    EXPECT_FALSE(ok);
    EXPECT_EQ(list.GetErrorCode(), kErrNoConnection);
    EXPECT_FALSE(std::string(list.GetErrorText()).empty());
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(ScmWindowsTest, SystemMessagesAreKeptExactlyAsTheSystemWordsThem) {
    std::string text = SystemText(ERROR_ACCESS_DENIED);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(SystemText(0xDEADBEEF), "");
}

TEST_F(ScmWindowsTest, StateTextsComeFromTheStringTable) {
    const char* expected[] = {"Parado",   "Esperando a iniciarse", "Esperando a pararse",
                              "Iniciado", "Esperando a continuar", "Esperando a pausarse",
                              "Pausado"};
    for (uint32_t state = 1; state <= 7; ++state)
        EXPECT_EQ(texts.Text(StateTextId(state)), expected[state - 1]);
    EXPECT_EQ(StateTextId(0), 0u);
    EXPECT_EQ(StateTextId(8), 0u);
    EXPECT_EQ(texts.Text(IDS_ERROR_STARTING_SERVICE), "Error iniciando el servicio %s");
    EXPECT_EQ(texts.Text(IDS_ERROR_PAUSING_SERVICE), "Error pausando el servicio %s");
}

}  // namespace
