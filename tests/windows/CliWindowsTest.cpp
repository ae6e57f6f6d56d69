// The console program as a script runs it, under the real service control
// manager with the test services: what it lists, snapshots, compares,
// restores and watches, and its exit statuses on bad input.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/BoundedScm.h"
#include "platform/win32/Handles.h"
#include "tests/windows/ProgramUnderTest.h"
#include "tests/windows/WineServices.h"

namespace {

struct Ran {
    DWORD status = 0xFFFFFFFF;  // none: did not end within the bound
    std::string out, err;
};

// Reads a pipe to its end on a thread of its own, so that neither stream
// can fill up and stop the program while the other is read.
class PipeReader {
public:
    explicit PipeReader(HANDLE read) : read_(read) {
        thread_ = std::thread([this] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read_, buffer, sizeof buffer, &got, nullptr) && got > 0)
                text_.append(buffer, got);
        });
    }
    ~PipeReader() { Finish(); }
    // Once every writer has gone.
    std::string Finish() {
        if (thread_.joinable()) {
            thread_.join();
            CloseHandle(read_);
        }
        return text_;
    }

private:
    HANDLE read_;
    std::thread thread_;
    std::string text_;
};

std::string CliPath() {
    return wintest::ExeDirectory() + "\\vantorel-cli.exe";
}

struct Pipe {
    HANDLE read = nullptr, write = nullptr;
    Pipe() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        CreatePipe(&read, &write, &inherit, 0);
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    }
};

PROCESS_INFORMATION Start(const std::string& arguments, HANDLE out, HANDLE err, DWORD flags = 0) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    std::string command = "\"" + CliPath() + "\" " + arguments;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr, &si,
                        &pi))
        pi.hProcess = nullptr;
    return pi;
}

Ran RunCli(const std::string& arguments, DWORD boundMs = 60000) {
    Ran ran;
    Pipe out, err;
    PROCESS_INFORMATION pi = Start(arguments, out.write, err.write);
    CloseHandle(out.write);
    CloseHandle(err.write);
    PipeReader outReader(out.read), errReader(err.read);
    if (pi.hProcess != nullptr) {
        if (WaitForSingleObject(pi.hProcess, boundMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(pi.hProcess, &ran.status);
        else
            TerminateProcess(pi.hProcess, 0xFFFFFFFF);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    ran.out = outReader.Finish();
    ran.err = errReader.Finish();
    return ran;
}

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name + std::to_string(GetCurrentProcessId()) + ".rpt";
}

// The names a JSON list of the program names, in its order.
std::vector<std::string> JsonNames(const std::string& json) {
    std::vector<std::string> names;
    const std::string key = "{\"name\": \"";
    for (size_t at = json.find(key); at != std::string::npos; at = json.find(key, at + 1)) {
        size_t start = at + key.size();
        names.push_back(json.substr(start, json.find('"', start) - start));
    }
    return names;
}

// The Win32 services the manager enumerates, active and inactive.
std::vector<std::string> Enumerated() {
    std::vector<std::string> names;
    ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
    DWORD needed = 0, count = 0, resume = 0;
    EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed,
                        &count, &resume);
    std::vector<char> buffer(needed + 4096);
    resume = 0;
    if (!EnumServicesStatusA(manager.get(), SERVICE_WIN32, SERVICE_STATE_ALL,
                             reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed, &count, &resume))
        return names;
    auto* entries = reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) names.push_back(entries[i].lpServiceName);
    return names;
}

class CliWindowsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wintest::DeleteLeftoverServices(); }
    void TearDown() override { DeleteFileA(snapshot.c_str()); }
    std::string snapshot = TempFile("vantorel-cli");
};

TEST_F(CliWindowsTest, ListIsTheManagersEnumerationWithEachStateAndStartType) {
    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    ASSERT_TRUE(service.StartDirectly() && service.WaitFor(SERVICE_RUNNING));
    Ran ran = RunCli("list --active --inactive --format json");
    ASSERT_EQ(ran.status, 0u) << ran.err;
    std::vector<std::string> listed = JsonNames(ran.out), enumerated = Enumerated();
    std::sort(listed.begin(), listed.end());
    std::sort(enumerated.begin(), enumerated.end());
    EXPECT_EQ(listed, enumerated);
    std::string record = "{\"name\": \"" + service.Name() + "\"";
    size_t at = ran.out.find(record);
    ASSERT_NE(at, std::string::npos) << ran.out;
    std::string line = ran.out.substr(at, ran.out.find('}', at) - at);
    EXPECT_NE(line.find("\"state\": 4, \"stateText\": \"Iniciado\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"startType\": 3"), std::string::npos) << line;
    EXPECT_NE(line.find("\"type\": 16"), std::string::npos) << line;
}

TEST_F(CliWindowsTest, SnapshotCompareAndRestoreBringTheServiceBack) {
    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    ASSERT_TRUE(service.StartDirectly() && service.WaitFor(SERVICE_RUNNING));
    Ran saved = RunCli("snapshot \"" + snapshot + "\"");
    ASSERT_EQ(saved.status, 0u) << saved.err;
    Ran same = RunCli("compare \"" + snapshot + "\"");
    EXPECT_EQ(same.status, 0u) << same.out << same.err;

    ASSERT_TRUE(service.StopDirectly() && service.WaitFor(SERVICE_STOPPED));
    Ran changed = RunCli("compare \"" + snapshot + "\" --format json");
    EXPECT_EQ(changed.status, 1u) << changed.err;
    EXPECT_NE(changed.out.find("\"name\": \"" + service.Name() + "\""), std::string::npos)
        << changed.out;

    Ran told = RunCli("restore \"" + snapshot + "\" --service " + service.Name());
    EXPECT_EQ(told.status, 0u) << told.err;
    EXPECT_NE(told.out.find(service.Name()), std::string::npos) << told.out;
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_STOPPED)) << "told, not done";

    Ran restored = RunCli("restore \"" + snapshot + "\" --yes --service " + service.Name());
    EXPECT_EQ(restored.status, 0u) << restored.out << restored.err;
    EXPECT_NE(restored.out.find(service.Name() + ": restaurado"), std::string::npos)
        << restored.out;
    EXPECT_TRUE(service.WaitFor(SERVICE_RUNNING));
}

TEST_F(CliWindowsTest, ServiceCommandsSettleAndABadNameIsExitOne) {
    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    Ran started = RunCli("start " + service.Name());
    EXPECT_EQ(started.status, 0u) << started.err;
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING)) << "settled when it ends";
    Ran stopped = RunCli("stop " + service.Name() + " VantorelNoSuchService");
    EXPECT_EQ(stopped.status, 1u);
    EXPECT_NE(stopped.err.find("VantorelNoSuchService"), std::string::npos) << stopped.err;
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_STOPPED));
}

// A watch with the history log: its connection record says it has taken
// the machine's state, so the change made after it is one to report.
class Watch {
public:
    explicit Watch(const std::string& log) : logFile_(kLogKey) {
        DeleteFileA(log.c_str());
        logFile_.Set("LogFilePath", log);
        process_ = Start("watch --interval 1000 --format json --log", out_.write, err_.write,
                         CREATE_NEW_PROCESS_GROUP);
        CloseHandle(out_.write);
        CloseHandle(err_.write);
        errReader_ = std::make_unique<PipeReader>(err_.read);
    }
    ~Watch() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        CloseHandle(out_.read);
        errReader_->Finish();
    }
    bool Started() const { return process_.hProcess != nullptr; }
    HANDLE Process() const { return process_.hProcess; }
    DWORD Id() const { return process_.dwProcessId; }
    // The output up to the first line naming `text`, or all there was when
    // `boundMs` ran out.
    std::string ReadUntil(const std::string& text, DWORD boundMs) {
        DWORD start = GetTickCount();
        char buffer[1024];
        while (seen_.find(text) == std::string::npos && GetTickCount() - start < boundMs) {
            DWORD waiting = 0, got = 0;
            if (!PeekNamedPipe(out_.read, nullptr, 0, nullptr, &waiting, nullptr)) break;
            if (waiting == 0) {
                Sleep(20);
                continue;
            }
            if (!ReadFile(out_.read, buffer, sizeof buffer, &got, nullptr)) break;
            seen_.append(buffer, got);
        }
        return seen_;
    }
    static constexpr const char* kLogKey = "Software\\Quorvex\\Larkspan\\Vantorel\\LogFile";

private:
    wintest::Configuration logFile_;
    Pipe out_, err_;
    PROCESS_INFORMATION process_{};
    std::unique_ptr<PipeReader> errReader_;
    std::string seen_;
};

bool Logged(const std::string& path, char kind, DWORD boundMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < boundMs; Sleep(50))
        for (const std::string& line : wintest::ReadLines(path))
            if (!line.empty() && line[0] == kind) return true;
    return false;
}

TEST_F(CliWindowsTest, WatchPrintsAChangeMadeOutsideWithinTwoPeriodsAndLogsIt) {
    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    std::string log = TempFile("vantorel-cli-log");
    // A console the watch shares, for Ctrl+Break to reach it through.
    bool ownConsole = AllocConsole() != 0;
    Watch watch(log);
    ASSERT_TRUE(watch.Started());
    ASSERT_TRUE(Logged(log, '!', 30000)) << "connected";
    ASSERT_TRUE(service.StartDirectly() && service.WaitFor(SERVICE_RUNNING));
    std::string seen = watch.ReadUntil(service.Name(), 2000 + 1000);
    size_t at = seen.find("\"name\": \"" + service.Name() + "\"");
    ASSERT_NE(at, std::string::npos) << seen;
    EXPECT_NE(seen.find("\"newState\": 4", at), std::string::npos) << seen;
    EXPECT_EQ(seen.substr(seen.size() - 2), "\r\n") << "each change a whole line";
    EXPECT_TRUE(Logged(log, '*', 5000)) << "the change in the history log";

    // Ctrl+Break ends it between passes with the session's end record.
    if (!GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, watch.Id())) {
        DWORD error = GetLastError();
        if (ownConsole) FreeConsole();
        if (wintest::RunningUnderWine())
            GTEST_SKIP() << "Wine delivers no Ctrl+Break to another process: " << error;
        FAIL() << error;
    }
    DWORD ended = WaitForSingleObject(watch.Process(), 10000);
    if (ownConsole) FreeConsole();
    ASSERT_EQ(ended, WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(watch.Process(), &status);
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(Logged(log, '<', 1000)) << "the session's end record";
    DeleteFileA(log.c_str());
}

TEST_F(CliWindowsTest, BadInputEndsWithStatusTwoAndChangesNothing) {
    Ran unknown = RunCli("lsit");
    EXPECT_EQ(unknown.status, 2u);
    EXPECT_NE(unknown.err.find("lsit"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("Uso: vantorel-cli"), std::string::npos) << unknown.err;
    EXPECT_TRUE(unknown.out.empty());

    Ran help = RunCli("restore --help");
    EXPECT_EQ(help.status, 0u);
    EXPECT_NE(help.out.find("--yes"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Estado de salida"), std::string::npos) << help.out;

    Ran missing = RunCli("compare \"" + snapshot + "\"");
    EXPECT_EQ(missing.status, 2u);
    EXPECT_FALSE(missing.err.empty());

    wintest::TestService service("basic");
    ASSERT_TRUE(service.Registered());
    ASSERT_EQ(RunCli("snapshot \"" + snapshot + "\"").status, 0u);
    ASSERT_TRUE(service.StartDirectly() && service.WaitFor(SERVICE_RUNNING));
    // A copy cut short inside a section.
    HANDLE file =
        CreateFileA(snapshot.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    SetFilePointer(file, static_cast<LONG>(size.QuadPart - 30), nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    Ran damaged = RunCli("restore \"" + snapshot + "\" --yes");
    EXPECT_EQ(damaged.status, 2u) << damaged.out;
    EXPECT_NE(damaged.err.find("incompleto"), std::string::npos) << damaged.err;
    EXPECT_EQ(service.State(), static_cast<DWORD>(SERVICE_RUNNING)) << "nothing restored";
}

TEST_F(CliWindowsTest, AMachineThatDoesNotAnswerIsGivenUpAtTheTimeout) {
    cli::BoundedScm silent(300, [](const char*, const char*, DWORD) -> SC_HANDLE {
        Sleep(5000);
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    });
    DWORD before = GetTickCount();
    EXPECT_EQ(silent.OpenSCManagerA("far", nullptr, SC_MANAGER_CONNECT), nullptr);
    EXPECT_EQ(silent.GetLastError(), static_cast<uint32_t>(ERROR_TIMEOUT));
    EXPECT_LT(GetTickCount() - before, 4000u) << "not the connection's own time";

    cli::BoundedScm refusing(5000, [](const char*, const char*, DWORD) -> SC_HANDLE {
        SetLastError(RPC_S_SERVER_UNAVAILABLE);
        return nullptr;
    });
    EXPECT_EQ(refusing.OpenSCManagerA("far", nullptr, SC_MANAGER_CONNECT), nullptr);
    EXPECT_EQ(refusing.GetLastError(), static_cast<uint32_t>(RPC_S_SERVER_UNAVAILABLE))
        << "the connection's own reason, from its thread";

    cli::BoundedScm real(5000);
    platform::ScHandle local = real.OpenSCManagerA("localhost", nullptr, SC_MANAGER_CONNECT);
    EXPECT_NE(local, nullptr) << real.GetLastError();
    if (local) real.CloseServiceHandle(local);

    if (wintest::RunningUnderWine())
        GTEST_SKIP() << "Wine's OpenSCManagerA connects to this machine whatever the name";
    Ran remote = RunCli("list --machine vantorel-no-such-host --timeout 5");
    EXPECT_EQ(remote.status, 2u);
    EXPECT_FALSE(remote.err.empty());
}

TEST_F(CliWindowsTest, AReaderThatGoesAwayEndsTheProgramWithoutACrash) {
    Pipe out, err;
    // The reading end closed before the first line is written.
    CloseHandle(out.read);
    PROCESS_INFORMATION pi = Start("list --format csv", out.write, err.write);
    CloseHandle(out.write);
    CloseHandle(err.write);
    ASSERT_NE(pi.hProcess, nullptr);
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    PipeReader errReader(err.read);
    DWORD waited = WaitForSingleObject(process.get(), 60000);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.get(), 0xFFFFFFFF);
    errReader.Finish();
    ASSERT_EQ(waited, WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(process.get(), &status);
    EXPECT_LE(status, 2u) << "ended by itself, not by an exception";
}

}  // namespace
