#include "ui/ListTransfer.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "document/SnapshotSave.h"
#include "framework/FileDialog.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"
#include "ui/ServiceViewSupport.h"

namespace {

// A clipboard another program holds is usually let go within moments: it
// is asked a few times, a bounded while.
const int kOpenAttempts = 5;
const DWORD kOpenPauseMs = 20;

GlobalMemory GlobalText(const std::string& text) {
    GlobalMemory memory(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
    if (!memory) return memory;
    void* bytes = ::GlobalLock(memory.get());
    if (!bytes) return GlobalMemory();
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory.get());
    return memory;
}

HWND Owner(const TableSource& view) {
    return ::GetAncestor(view.TableWindow(), GA_ROOT);
}

}  // namespace

bool CopyRows(const TableSource& view, const Resources& resources,
              const platform::Platform& platform) {
    TableRows rows = view.Lines(true);
    if (rows.empty()) return false;
    std::vector<std::string> titles = view.Titles();
    GlobalMemory tabs = GlobalText(TableText(titles, rows, TableFormat::kTabs));
    GlobalMemory csv = GlobalText(TableText(titles, rows, TableFormat::kCsv));
    rows.clear();
    HWND owner = Owner(view);
    if (!tabs || !csv) {
        ShowMessage(owner, resources.LoadText(IDS_OUT_OF_MEMORY), MB_OK | MB_ICONERROR);
        return false;
    }
    bool copied = false;
    {
        std::unique_ptr<OpenedClipboard> clipboard;
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            if (attempt > 0) ::Sleep(kOpenPauseMs);
            clipboard = std::make_unique<OpenedClipboard>(owner);
            if (clipboard->IsOpen()) break;
        }
        if (!clipboard->IsOpen()) {
            clipboard.reset();
            ShowMessage(owner, resources.LoadText(IDS_CLIPBOARD_BUSY), MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        // Once given, the memory is the clipboard's.
        static const UINT csvFormat = ::RegisterClipboardFormatA("Csv");
        copied = ::EmptyClipboard() && ::SetClipboardData(CF_TEXT, tabs.get());
        if (copied) tabs.release();
        if (copied && csvFormat && ::SetClipboardData(csvFormat, csv.get())) csv.release();
    }
    if (!copied)
        ShowMessage(owner,
                    ComposeMessage(resources.LoadText(IDS_COPY_FAILED), "",
                                   platform.files.FormatMessageA(::GetLastError())),
                    MB_OK | MB_ICONERROR);
    return copied;
}

void ExportRows(const TableSource& view, const Resources& resources,
                const platform::Platform& platform, const std::string& initialName) {
    std::string path;
    int filter = 1;
    if (!ChooseFile(Owner(view), resources.LoadText(IDS_EXPORT_FILTER), initialName, "csv", true,
                    &path, &filter))
        return;
    ExportRowsTo(view, resources, platform, path, ExportFormat(path, filter));
}

bool ExportRowsTo(const TableSource& view, const Resources& resources,
                  const platform::Platform& platform, const std::string& path, TableFormat format) {
    std::string reason;
    WaitCursor wait;
    if (SaveTable(platform.files, platform.codePage, path, view.Titles(), view.Lines(false), format,
                  &reason))
        return true;
    ShowMessage(
        Owner(view),
        ComposeMessage(resources.LoadText(IDS_EXPORT_FAILED), FileNameOf(path).c_str(), reason),
        MB_OK | MB_ICONERROR);
    return false;
}

bool RunTableCommand(UINT id, const TableSource& view, const Resources& resources,
                     const platform::Platform& platform, const std::string& title) {
    if (id == ID_EDIT_COPY)
        CopyRows(view, resources, platform);
    else if (id == ID_FILE_EXPORT)
        ExportRows(view, resources, platform, title);
    else
        return false;
    return true;
}
