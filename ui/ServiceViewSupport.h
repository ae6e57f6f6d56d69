#pragma once
// What the services list and the services trees share: the wait cursor,
// the context menus, reloading, and the service commands with their
// enabling rules and messages.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Answering.h"
#include "framework/Wnd.h"

class CVantorelDocument;
class ServicesDocument;
class Resources;
struct ServiceEntry;

// What the frame asks of the services view shown (the list or a tree) for
// the filter typed in the toolbar.
class FilteredView {
public:
    // The rows or nodes chosen again for the document's filter text, from
    // what was read already: the platform is not asked.
    virtual void ApplyFilter() = 0;
    // The services shown, and those of the list it was made from.
    virtual size_t ShownServices() const = 0;
    virtual size_t TotalServices() const = 0;

protected:
    ~FilteredView() = default;
};

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

// Runs `work` on the document's services on a thread of its own while the
// windows answer; the document is busy meanwhile. False when the program
// ended first.
bool RunWithServices(ServicesDocument& document, std::function<void()> work,
                     const answering::Wait& wait);

// A pop-up of the context menus at the cursor (or at `at`, in screen
// coordinates), owned by the view's frame so that its commands go through
// the frame's routing.
void ShowContextMenu(const Resources& resources, HWND view, int popup, const POINT* at = nullptr);
// The context-menu key and Shift+F10 in a view: true for their messages,
// which the view takes itself, `show` on the one that opens the menu at the
// selected row. Taken, they never reach the system's default handling,
// which opens it too on Windows and not at all under Wine.
bool TakeContextMenuKey(UINT msg, WPARAM wp, bool* show);
// F5: the document loads its services again and every view rebuilds.
// The statuses of the entries at `indexes` read again while the windows
// answer, the cheaper way; the entries whose status changed. None while
// another operation has the services, or when the program ended meanwhile.
std::vector<uint32_t> RefreshedStatuses(CVantorelDocument& document, std::vector<uint32_t> indexes);
void ReloadServices(CVantorelDocument* document);

bool IsServiceCommand(UINT id);
// The properties of `entry` (editable; after OK every view rebuilds), or a
// start, stop, pause or restart of it, which the document follows until it
// settles; a failure shows the document's message over `view`. True when
// the states on screen may have changed.
bool RunServiceCommand(CVantorelDocument* document, ServiceEntry* entry, UINT id, HWND view);
// The enabling rule of a service command for the selected entry.
void UpdateServiceCommand(CCmdUI& ui, const ServiceEntry* entry);
