#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include "platform/win32/Win32Scm.h"

namespace platform {

namespace {

class Win32File : public File {
public:
    explicit Win32File(HANDLE handle) : handle_(handle) {}
    ~Win32File() override { Close(); }

    bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override {
        DWORD got = 0;
        BOOL ok = ::ReadFile(handle_, buffer, size, &got, nullptr);
        *bytesRead = got;
        return ok != FALSE;
    }
    bool Write(const void* data, uint32_t size) override {
        DWORD written = 0;
        if (!::WriteFile(handle_, data, size, &written, nullptr)) return false;
        if (written != size) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        return true;
    }
    bool Flush() override { return ::FlushFileBuffers(handle_) != FALSE; }
    bool SeekToEnd() override {
        LARGE_INTEGER zero{};
        return ::SetFilePointerEx(handle_, zero, nullptr, FILE_END) != FALSE;
    }
    uint64_t Size() override {
        LARGE_INTEGER size{};
        return ::GetFileSizeEx(handle_, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }
    bool Close() override {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        BOOL ok = ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok != FALSE;
    }

private:
    HANDLE handle_;
};

}  // namespace

std::unique_ptr<File> Win32FileSystem::CreateFileA(const char* path, uint32_t access,
                                                   uint32_t share, uint32_t disposition) {
    HANDLE handle =
        ::CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle);
}

bool Win32FileSystem::MoveFileExA(const char* from, const char* to, uint32_t flags) {
    return ::MoveFileExA(from, to, flags) != FALSE;
}

bool Win32FileSystem::ReplaceFileA(const char* replaced, const char* replacement,
                                   const char* backup, uint32_t flags) {
    return ::ReplaceFileA(replaced, replacement, backup, flags, nullptr, nullptr) != FALSE;
}

uint32_t Win32FileSystem::GetTempFileNameA(const char* folder, const char* prefix, uint32_t unique,
                                           char* tempFileName) {
    return ::GetTempFileNameA(folder, prefix, unique, tempFileName);
}

bool Win32FileSystem::DeleteFileA(const char* path) {
    return ::DeleteFileA(path) != FALSE;
}

uint32_t Win32FileSystem::GetFileAttributesA(const char* path) {
    return ::GetFileAttributesA(path);
}

bool Win32FileSystem::SetFileAttributesA(const char* path, uint32_t attributes) {
    return ::SetFileAttributesA(path, attributes) != FALSE;
}

uint32_t Win32FileSystem::GetLastError() {
    return ::GetLastError();
}

std::string Win32FileSystem::FormatMessageA(uint32_t code) {
    return Win32Scm().FormatMessageA(code);
}

}  // namespace platform
