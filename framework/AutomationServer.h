#pragma once
// The automation object "Vantorel.Application": a local server registered
// for the current user, so no administrator rights are needed, whose one
// object is the document with three methods.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <string>

#include "platform/RegistryApi.h"

// The program's own class identifier, fixed for good: clients find the
// server by it.
extern const CLSID CLSID_VantorelApplication;
extern const char kProgId[];

// What the automation object asks of the program.
class AutomationTarget {
public:
    virtual ~AutomationTarget() = default;
    virtual void ShowWindow(short showCommand) = 0;
    virtual short IsWindowVisible() = 0;
    virtual void ExitApplication() = 0;
    // The last client let go of the object.
    virtual void OnLastRelease() = 0;
};

// Writes the per-user class registration and the program id; `serverPath`
// is the full path of the program file.
bool RegisterAutomationServer(platform::RegistryApi& registry, const std::string& serverPath);
// Removes the class, the program id and the file type of `extension`.
bool UnregisterAutomationServer(platform::RegistryApi& registry, const std::string& extension);
// The document type's files (`extension`) open in the program from the
// shell, and print from it, for the current user.
bool RegisterShellFileType(platform::RegistryApi& registry, const std::string& extension,
                           const std::string& typeName, const std::string& serverPath);

// Offers the class to clients until revoked. `makeTarget` is called when a
// client creates the object.
bool StartAutomationServer(std::function<AutomationTarget*()> makeTarget);
// Ends the service to clients. A client that still holds the object (one
// that asked the program to exit and has not yet let go) is served, with
// the thread's messages, until it lets go or `waitMs` has passed; then any
// client left is cut off. Without this wait, a client's last release that
// arrives while COM shuts down can hold the shutdown for ever.
void StopAutomationServer(DWORD waitMs);
// Objects that clients hold now.
long AutomationObjectsHeld();

// The dispatch identifiers of the methods, in order.
enum AutomationDispId { kDispShowWindow = 1, kDispIsWindowVisible = 2, kDispExitApplication = 3 };
