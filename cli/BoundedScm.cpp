#include "cli/BoundedScm.h"

#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace cli {

namespace {

// What the connecting thread and the caller share; the last one to let go
// of it frees it.
struct Connection {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    platform::ScHandle handle = nullptr;
    DWORD error = 0;
};

}  // namespace

platform::ScHandle BoundedScm::OpenSCManagerA(const char* machineName, const char* databaseName,
                                              uint32_t desiredAccess) {
    if (timeoutMs_ == 0 || machineName == nullptr || *machineName == '\0')
        return connect_(machineName, databaseName, desiredAccess);
    auto shared = std::make_shared<Connection>();
    std::string machine = machineName;
    std::string database = databaseName ? databaseName : "";
    bool hasDatabase = databaseName != nullptr;
    std::thread([connect = connect_, shared, machine, database, hasDatabase, desiredAccess] {
        SC_HANDLE handle =
            connect(machine.c_str(), hasDatabase ? database.c_str() : nullptr, desiredAccess);
        DWORD error = ::GetLastError();
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->abandoned) {
            if (handle) ::CloseServiceHandle(handle);
            return;
        }
        shared->handle = handle;
        shared->error = error;
        shared->finished = true;
        shared->done.notify_one();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->mutex);
    if (!shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs_),
                               [&] { return shared->finished; })) {
        shared->abandoned = true;
        ::SetLastError(ERROR_TIMEOUT);
        return nullptr;
    }
    ::SetLastError(shared->error);
    return shared->handle;
}

}  // namespace cli
