// The least any program must do for the console program's list and
// compare: start, enumerate the services (list: and read each one's
// configuration for its start type, start flags and account; compare: and
// read the snapshot and find its lines), and write the result. Only the system's
// own libraries, as small a process as there can be.
#include <windows.h>

#include <string>
#include <vector>

namespace {

void Write(const std::string& text) {
    DWORD done = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &done,
              nullptr);
}

// The floors, run as a process of their own like the console program.
std::vector<char> Enumerate(SC_HANDLE manager, DWORD* count) {
    DWORD needed = 0, resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, count,
                        &resume);
    std::vector<char> block(needed + 1024);
    resume = 0;
    EnumServicesStatusA(manager, SERVICE_WIN32, SERVICE_STATE_ALL,
                        reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data()),
                        static_cast<DWORD>(block.size()), &needed, count, &resume);
    return block;
}

// The start type's text names a delayed or trigger start: one query more,
// of whichever flag the start type can carry.
void StartFlagsQuery(SC_HANDLE service, DWORD startType) {
    static char buffer[1024];
    DWORD needed = 0;
    if (startType == SERVICE_AUTO_START)
        QueryServiceConfig2A(service, SERVICE_CONFIG_DELAYED_AUTO_START_INFO,
                             reinterpret_cast<BYTE*>(buffer), sizeof buffer, &needed);
    else if (startType == SERVICE_DEMAND_START)
        QueryServiceConfig2A(service, SERVICE_CONFIG_TRIGGER_INFO, reinterpret_cast<BYTE*>(buffer),
                             sizeof buffer, &needed);
}

int FloorList() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    DWORD count = 0;
    std::vector<char> block = Enumerate(manager, &count);
    auto* records = reinterpret_cast<ENUM_SERVICE_STATUSA*>(block.data());
    std::string out;
    std::vector<char> config(8192);
    for (DWORD i = 0; i < count; ++i) {
        SC_HANDLE service = OpenServiceA(manager, records[i].lpServiceName, SERVICE_QUERY_CONFIG);
        DWORD needed = 0;
        auto* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.data());
        bool read =
            service && QueryServiceConfigA(service, c, static_cast<DWORD>(config.size()), &needed);
        if (read) StartFlagsQuery(service, c->dwStartType);
        if (read)
            out += std::string(records[i].lpServiceName) + "," + records[i].lpDisplayName + "," +
                   std::to_string(records[i].ServiceStatus.dwCurrentState) + "," +
                   std::to_string(c->dwStartType) + "," +
                   (c->lpServiceStartName ? c->lpServiceStartName : "") + "\r\n";
        if (service) CloseServiceHandle(service);
    }
    Write(out);
    CloseServiceHandle(manager);
    return 0;
}

int FloorCompare(const char* path) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE);
    DWORD count = 0;
    std::vector<char> block = Enumerate(manager, &count);
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    std::string text(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    Write(std::to_string(lines + count) + "\r\n");
    CloseServiceHandle(manager);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "list") return FloorList();
    if (argc >= 3 && std::string(argv[1]) == "compare") return FloorCompare(argv[2]);
    return 2;
}
