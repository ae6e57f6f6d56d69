#pragma once
// Test services registered in the real service control manager under unique
// names, and removed again when the test ends, whether it passed or not.
#include <windows.h>

#include <string>

namespace wintest {

bool RunningUnderWine();
std::string ExeDirectory();

// A registered instance of the fixture service program.
class TestService {
public:
    // mode: "basic", "nostop" or "stuck".
    explicit TestService(const char* mode, const char* displayName = nullptr);
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    const std::string& Name() const { return name_; }
    bool Registered() const { return service_ != nullptr; }
    DWORD State();
    // Polls until the service reports `state`; false after `timeoutMs`.
    bool WaitFor(DWORD state, DWORD timeoutMs = 15000);
    // Started by the platform's own call; with `untilRunning`, false unless
    // it is seen running. A program that keeps it stopped may stop it first.
    bool StartDirectly(bool untilRunning = true);
    bool StopDirectly();
    void Delete();

private:
    std::string name_;
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
};

// The platform's own view of a service's configuration, read past the
// program under test. The config's strings are not kept; their two that
// tests compare are.
struct StoredService {
    QUERY_SERVICE_CONFIGA config;
    std::string displayName, description;
};
StoredService ReadStoredService(const std::string& name);

// The whole screen as a bitmap file under build/screenshots, for a person
// to look at.
bool SaveScreen(const std::string& name);

// How many pixels of the window's client area on screen have the colour,
// once it has painted what it has to.
int PixelsOf(HWND window, COLORREF colour);

// Removes services that an earlier, interrupted run left behind.
void DeleteLeftoverServices();

}  // namespace wintest
