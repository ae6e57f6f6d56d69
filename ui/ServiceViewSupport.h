#pragma once
// What the services list and the services trees share: the state icons,
// the context menus, reloading, and the service commands with their
// enabling rules, polling and messages.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "framework/Wnd.h"

class CVantorelDocument;
struct ServiceEntry;

// Shows the wait cursor while the service control manager answers.
class WaitCursor {
public:
    WaitCursor() : old_(::SetCursor(::LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { ::SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

// The 16x16 state icons of the icon strip; null when they cannot be made.
HIMAGELIST CreateStateImages();
// A pop-up of the context menus at the cursor, owned by the main window so
// that its commands go through the frame's routing.
void ShowContextMenu(int popup);
// F5: the document loads its services again and every view rebuilds.
void ReloadServices(CVantorelDocument* document);

bool IsServiceCommand(UINT id);
// Start, stop, pause or restart of `entry`: on success the entry is polled
// while it is pending; a failure shows the document's message.
void RunServiceCommand(CVantorelDocument* document, ServiceEntry* entry, UINT id);
// The enabling rule of a service command for the selected entry.
void UpdateServiceCommand(CCmdUI& ui, const ServiceEntry* entry);
