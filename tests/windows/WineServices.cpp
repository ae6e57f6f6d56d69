#include "tests/windows/WineServices.h"

#include <cstdio>
#include <vector>

#include "framework/Dpi.h"
#include "platform/TextsInUse.h"
#include "tests/windows/ScriptedDialog.h"

namespace wintest {

namespace {
const char kPrefix[] = "VtTest";
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string ExeDirectory() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, length);
    return dir.substr(0, dir.find_last_of("\\/"));
}

TestService::TestService(const char* mode, const char* displayName) {
    static int counter = 0;
    name_ = std::string(kPrefix) + std::to_string(GetCurrentProcessId()) + "_" + mode + "_" +
            std::to_string(++counter);
    std::string command = "\"" + ExeDirectory() + "\\svcfixture.exe\" " + mode + " " + name_;
    std::string display = displayName ? displayName : "Vantorel test " + name_;
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager_ == nullptr) return;
    service_ = CreateServiceA(manager_, name_.c_str(), display.c_str(), SERVICE_ALL_ACCESS,
                              SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                              command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
}

namespace {

// A service that will not stop would stay registered, marked for deletion,
// until its process ends; the process is ended for it.
void EndServiceProcess(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed) ||
        status.dwCurrentState == SERVICE_STOPPED || status.dwProcessId == 0)
        return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, status.dwProcessId);
    if (process == nullptr) return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

}  // namespace

TestService::~TestService() {
    Delete();
    if (manager_ != nullptr) CloseServiceHandle(manager_);
}

void TestService::Delete() {
    if (service_ == nullptr) return;
    SERVICE_STATUS status;
    if (ControlService(service_, SERVICE_CONTROL_STOP, &status)) WaitFor(SERVICE_STOPPED, 5000);
    EndServiceProcess(service_);
    DeleteService(service_);
    CloseServiceHandle(service_);
    service_ = nullptr;
}

DWORD TestService::State() {
    SERVICE_STATUS status{};
    if (service_ == nullptr || !QueryServiceStatus(service_, &status)) return 0;
    return status.dwCurrentState;
}

bool TestService::WaitFor(DWORD state, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (State() != state) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool TestService::StartDirectly(bool untilRunning) {
    if (service_ == nullptr) return false;
    if (!StartServiceA(service_, 0, nullptr)) {
        std::fprintf(stderr, "StartServiceA(%s) failed: %lu\n", name_.c_str(), GetLastError());
        return false;
    }
    return !untilRunning || WaitFor(SERVICE_RUNNING);
}

bool TestService::StopDirectly() {
    SERVICE_STATUS status;
    if (service_ == nullptr || !ControlService(service_, SERVICE_CONTROL_STOP, &status))
        return false;
    return WaitFor(SERVICE_STOPPED);
}

void DeleteLeftoverServices() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager == nullptr) return;
    DWORD needed = 0, returned = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned,
                        &resume);
    std::vector<char> block(needed + 1);
    auto* records = reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data());
    if (EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, records, needed, &needed,
                            &returned, &resume)) {
        for (DWORD i = 0; i < returned; ++i) {
            if (strncmp(records[i].lpServiceName, kPrefix, sizeof kPrefix - 1) != 0) continue;
            SC_HANDLE service = OpenServiceA(manager, records[i].lpServiceName, SERVICE_ALL_ACCESS);
            if (service == nullptr) continue;
            SERVICE_STATUS status;
            ControlService(service, SERVICE_CONTROL_STOP, &status);
            EndServiceProcess(service);
            DeleteService(service);
            CloseServiceHandle(service);
        }
    }
    CloseServiceHandle(manager);
}

int PixelsOf(HWND window, COLORREF colour) {
    UpdateWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) count += GetPixel(dc, x, y) == colour;
    ReleaseDC(window, dc);
    return count;
}

bool SaveScreen(const std::string& name) {
    std::string dir = wintest::ExeDirectory() + "\\..\\..\\screenshots";
    // Beside the 100 % ones, those of another scaling.
    std::string shot =
        dpi::System() == dpi::kStandard ? name : name + "-" + std::to_string(dpi::System());
    CreateDirectoryA(dir.c_str(), nullptr);
    HDC screen = GetDC(nullptr);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DWORD size = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0,
        0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    HANDLE out = CreateFileA((dir + "\\" + shot + ".bmp").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = out != INVALID_HANDLE_VALUE &&
              WriteFile(out, &file, sizeof file, &written, nullptr) &&
              WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
              WriteFile(out, bits, size, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
    return ok;
}

ProgramTexts::ProgramTexts(platform::TextsInUse& inUse)
    : inUse_(inUse),
      module_(LoadLibraryExA((ExeDirectory() + "\\Vantorel.exe").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE)) {
    if (module_) inUse_.Set(module_, ExeDirectory() + "\\Vantorel.exe");
}

ProgramTexts::~ProgramTexts() {
    inUse_.Set(nullptr, "");
    if (module_) FreeLibrary(module_);
}

StoredService ReadStoredService(const std::string& name) {
    StoredService stored{};
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_CONFIG);
    std::vector<char> buffer(8192);
    DWORD needed = 0;
    if (QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                            static_cast<DWORD>(buffer.size()), &needed)) {
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        stored.config = *config;
        stored.config.lpBinaryPathName = stored.config.lpLoadOrderGroup = nullptr;
        stored.config.lpDependencies = stored.config.lpServiceStartName = nullptr;
        stored.config.lpDisplayName = nullptr;
        stored.displayName = config->lpDisplayName ? config->lpDisplayName : "";
    }
    if (QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION,
                             reinterpret_cast<BYTE*>(buffer.data()),
                             static_cast<DWORD>(buffer.size()), &needed)) {
        auto* description = reinterpret_cast<SERVICE_DESCRIPTIONA*>(buffer.data());
        stored.description = description->lpDescription ? description->lpDescription : "";
    }
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return stored;
}

}  // namespace wintest
