#pragma once
// The program's resources as every window takes them: from the texts in use
// (a language module) when it has them, else from the program itself; the
// texts of commands and tooltips; message boxes with the program's title.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/TextsInUse.h"
#include "platform/win32/Handles.h"

// Resource types the platform knows by number only.
namespace resource_type {
inline LPCSTR ToolBar() {
    return MAKEINTRESOURCEA(241);
}
inline LPCSTR Dialog() {
    return MAKEINTRESOURCEA(5);
}
inline LPCSTR Menu() {
    return MAKEINTRESOURCEA(4);
}
inline LPCSTR Bitmap() {
    return MAKEINTRESOURCEA(2);
}
inline LPCSTR GroupIcon() {
    return MAKEINTRESOURCEA(14);
}
inline LPCSTR GroupCursor() {
    return MAKEINTRESOURCEA(12);
}
inline LPCSTR Accelerators() {
    return MAKEINTRESOURCEA(9);
}
inline LPCSTR Wave() {
    return "WAVE";
}
}  // namespace resource_type

// The resources of the texts in use (a language module) when they have
// them, else the program's own. The application owns one, following its
// texts in use; every window gets it from what makes the window.
class Resources {
public:
    explicit Resources(const platform::TextsInUse& inUse) : inUse_(inUse) {}
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;

    // The module whose resources the program shows.
    HINSTANCE Module() const;
    // The module that has resource `id` of `type`: the texts in use first,
    // then the program.
    HINSTANCE ModuleWith(UINT id, LPCSTR type) const;

    // A string-table text; empty when there is none.
    std::string LoadText(UINT id) const;
    // A command's status-bar prompt: its text up to the line break.
    std::string CommandPrompt(UINT id) const;
    // A command's or control's tooltip: its text after the line break, or
    // the whole text when it has none.
    std::string TooltipText(UINT id) const;
    // Answers a tooltip's request for text (TTN_GETDISPINFOA or W) from the
    // text of the command or control it is for; false for any other
    // notification.
    bool AnswerTooltip(NMHDR* header) const;

    Menu LoadMenuResource(UINT id) const;
    Bitmap LoadBitmapResource(UINT id) const;
    // An icon of the given size, owned by the caller.
    Icon LoadIconResource(UINT id, int size) const;
    // The platform keeps these; they are never freed.
    HICON LoadSharedIcon(UINT id) const;
    // At the size of the title bar's and the notification area's icons.
    HICON LoadSharedSmallIcon(UINT id) const;
    HCURSOR LoadSharedCursor(UINT id) const;
    HACCEL LoadAcceleratorResource(UINT id) const;
    // A picture at the display's scaling, or at 100 % where it has no other.
    Bitmap LoadPicture(UINT id) const;
    // A strip of square pictures at the display's scaling, magenta
    // transparent; null without the bitmap.
    ImageList LoadImageStrip(UINT id) const;
    // Shows picture `image` of `strip` as the dialog's small icon and, with
    // `programIcon`, the program's icon as its big one. The small icon
    // returned is the dialog's to keep while it shows it.
    Icon SetDialogIcons(HWND dialog, HIMAGELIST strip, int image, bool programIcon) const;
    // Pop-up `index` of menu resource `menuId`, shown at the cursor (or at
    // `at`, in screen coordinates); its commands go to `owner`. `prepare`
    // may set the items' states first.
    void ShowPopupMenu(HWND owner, UINT menuId, int index,
                       const std::function<void(HMENU)>& prepare = nullptr,
                       const POINT* at = nullptr) const;

private:
    const platform::TextsInUse& inUse_;
    // A tooltip's text: the control copies it at once.
    mutable std::string tooltip_;
    mutable std::wstring wideTooltip_;
};

// A message box owned by `owner` with the program's title (the program's
// own, whatever texts are in use).
int ShowMessage(HWND owner, const std::string& text, UINT flags);
// The window a modal box or dialog opened over `main` belongs to: the one
// the user is working in there (its last active popup), or `main`.
HWND ModalOwner(HWND main);
