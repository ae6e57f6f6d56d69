#include "framework/Resources.h"

#include <algorithm>

#include "framework/Dpi.h"
#include "platform/win32/Win32TextSource.h"
#include "res/resource.h"

namespace {
HINSTANCE Program() {
    return ::GetModuleHandleA(nullptr);
}
}  // namespace

HINSTANCE Resources::Module() const {
    auto module = static_cast<HINSTANCE>(inUse_.Module());
    return module ? module : Program();
}

HINSTANCE Resources::ModuleWith(UINT id, LPCSTR type) const {
    HINSTANCE texts = Module();
    return ::FindResourceA(texts, MAKEINTRESOURCEA(id), type) ? texts : Program();
}

// The same reading as the core's texts: one way to take a text.
std::string Resources::LoadText(UINT id) const {
    return platform::Win32TextSource(inUse_).Text(id);
}

std::string Resources::CommandPrompt(UINT id) const {
    std::string text = LoadText(id);
    return text.substr(0, text.find('\n'));
}

std::string Resources::TooltipText(UINT id) const {
    std::string text = LoadText(id);
    size_t br = text.find('\n');
    return br == std::string::npos ? text : text.substr(br + 1);
}

// Screen readers ask for the wide form whatever the window's own.
bool Resources::AnswerTooltip(NMHDR* header) const {
    bool wide = header->code == TTN_GETDISPINFOW;
    if (header->code != TTN_GETDISPINFOA && !wide) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    UINT_PTR id = header->idFrom;
    if (info->uFlags & TTF_IDISHWND)
        id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
    // The control copies the text at once; kept here it may be of any length.
    tooltip_ = id ? TooltipText(static_cast<UINT>(id)) : std::string();
    if (wide) {
        auto* wideInfo = reinterpret_cast<NMTTDISPINFOW*>(header);
        int length = ::MultiByteToWideChar(CP_ACP, 0, tooltip_.c_str(), -1, nullptr, 0);
        wideTooltip_.assign(static_cast<size_t>(std::max(length, 1)), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, tooltip_.c_str(), -1, &wideTooltip_[0], length);
        wideInfo->szText[0] = L'\0';
        wideInfo->lpszText = &wideTooltip_[0];
        return true;
    }
    info->szText[0] = '\0';
    info->lpszText = &tooltip_[0];
    return true;
}

Menu Resources::LoadMenuResource(UINT id) const {
    return Menu(::LoadMenuA(ModuleWith(id, resource_type::Menu()), MAKEINTRESOURCEA(id)));
}

Bitmap Resources::LoadBitmapResource(UINT id) const {
    return Bitmap(static_cast<HBITMAP>(::LoadImageA(ModuleWith(id, resource_type::Bitmap()),
                                                    MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                                    LR_CREATEDIBSECTION)));
}

Icon Resources::LoadIconResource(UINT id, int size) const {
    return Icon(static_cast<HICON>(::LoadImageA(ModuleWith(id, resource_type::GroupIcon()),
                                                MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
}

HICON Resources::LoadSharedIcon(UINT id) const {
    return ::LoadIconA(ModuleWith(id, resource_type::GroupIcon()), MAKEINTRESOURCEA(id));
}

HICON Resources::LoadSharedSmallIcon(UINT id) const {
    return static_cast<HICON>(
        ::LoadImageA(ModuleWith(id, resource_type::GroupIcon()), MAKEINTRESOURCEA(id), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

HCURSOR Resources::LoadSharedCursor(UINT id) const {
    return ::LoadCursorA(ModuleWith(id, resource_type::GroupCursor()), MAKEINTRESOURCEA(id));
}

HACCEL Resources::LoadAcceleratorResource(UINT id) const {
    return ::LoadAcceleratorsA(ModuleWith(id, resource_type::Accelerators()), MAKEINTRESOURCEA(id));
}

Bitmap Resources::LoadPicture(UINT id) const {
    UINT sized = dpi::SizedPictureId(id);
    if (sized != id) {
        Bitmap picture = LoadBitmapResource(sized);
        if (picture) return picture;
    }
    return LoadBitmapResource(id);
}

ImageList Resources::LoadImageStrip(UINT id) const {
    Bitmap strip = LoadPicture(id);
    BITMAP shape{};
    if (!strip || !::GetObjectA(strip.get(), sizeof shape, &shape) || shape.bmHeight <= 0)
        return ImageList();
    // Square pictures side by side: the strip's height is their size.
    int size = shape.bmHeight;
    ImageList images(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, shape.bmWidth / size, 8));
    if (images) ImageList_AddMasked(images.get(), strip.get(), RGB(255, 0, 255));
    return images;
}

Icon Resources::SetDialogIcons(HWND dialog, HIMAGELIST strip, int image, bool programIcon) const {
    Icon small(strip ? ImageList_GetIcon(strip, image, ILD_TRANSPARENT) : nullptr);
    ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    if (programIcon)
        ::SendMessageA(dialog, WM_SETICON, ICON_BIG,
                       reinterpret_cast<LPARAM>(LoadSharedIcon(IDR_MAINFRAME)));
    return small;
}

void Resources::ShowPopupMenu(HWND owner, UINT menuId, int index,
                              const std::function<void(HMENU)>& prepare, const POINT* at) const {
    Menu menu = LoadMenuResource(menuId);
    HMENU popup = menu ? ::GetSubMenu(menu.get(), index) : nullptr;
    if (!popup) return;
    if (prepare) prepare(popup);
    POINT where{};
    if (at)
        where = *at;
    else
        ::GetCursorPos(&where);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, where.x, where.y, 0, owner, nullptr);
}

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    char title[128] = "";
    ::LoadStringA(Program(), AFX_IDS_APP_TITLE, title, sizeof title);
    return ::MessageBoxA(owner, text.c_str(), title, flags);
}

HWND ModalOwner(HWND main) {
    if (!main) return nullptr;
    HWND popup = ::GetLastActivePopup(main);
    return popup && ::IsWindowEnabled(popup) ? popup : main;
}
