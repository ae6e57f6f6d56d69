#include "platform/win32/Win32Elevation.h"

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "platform/win32/Handles.h"

namespace platform {

namespace {
template <typename T>
bool TokenValue(TOKEN_INFORMATION_CLASS kind, T* value) {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    KernelHandle token(opened);
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), kind, value, sizeof *value, &size) != FALSE;
}
}  // namespace

bool Win32Elevation::IsElevated() {
    TOKEN_ELEVATION elevation{};
    return TokenValue(TokenElevation, &elevation) && elevation.TokenIsElevated != 0;
}

// An administrator's filtered token is the usual case; a standard user can
// still be given the rights of another account while the prompt is on.
bool Win32Elevation::CanElevate() {
    if (IsElevated()) return false;
    TOKEN_ELEVATION_TYPE type{};
    if (TokenValue(TokenElevationType, &type) && type == TokenElevationTypeLimited) return true;
    HKEY opened = nullptr;
    DWORD prompt = 0, size = sizeof prompt;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0,
                        KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegKeyHandle key(opened);
    return ::RegQueryValueExA(key.get(), "EnableLUA", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&prompt), &size) == ERROR_SUCCESS &&
           prompt != 0;
}

bool Win32Elevation::StartElevated(const std::string& program, const std::string& arguments) {
    SHELLEXECUTEINFOA start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.lpVerb = "runas";
    start.lpFile = program.c_str();
    start.lpParameters = arguments.c_str();
    start.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExA(&start) != FALSE;
}

}  // namespace platform
