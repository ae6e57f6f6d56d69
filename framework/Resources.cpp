#include "framework/Resources.h"

#include "framework/Dpi.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "platform/TextsInUse.h"
#include "res/resource.h"

namespace {
HINSTANCE Program() {
    return ::GetModuleHandleA(nullptr);
}
}  // namespace

HINSTANCE ResourceModule() {
    auto module = static_cast<HINSTANCE>(current_texts::Module());
    return module ? module : Program();
}

HINSTANCE ModuleWith(UINT id, LPCSTR type) {
    HINSTANCE texts = ResourceModule();
    return ::FindResourceA(texts, MAKEINTRESOURCEA(id), type) ? texts : Program();
}

std::string LoadText(UINT id) {
    // A string-table entry holds at most 4097 characters with its terminator.
    char buffer[4100];
    int length = ::LoadStringA(ResourceModule(), id, buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::string CommandPrompt(UINT id) {
    std::string text = LoadText(id);
    return text.substr(0, text.find('\n'));
}

std::string TooltipText(UINT id) {
    std::string text = LoadText(id);
    size_t br = text.find('\n');
    return br == std::string::npos ? text : text.substr(br + 1);
}

bool AnswerTooltip(NMHDR* header) {
    if (header->code != TTN_GETDISPINFOA) return false;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    UINT_PTR id = header->idFrom;
    if (info->uFlags & TTF_IDISHWND)
        id = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(id)));
    // The control copies the text at once; kept here it may be of any length.
    static std::string text;
    text = id ? TooltipText(static_cast<UINT>(id)) : std::string();
    info->szText[0] = '\0';
    info->lpszText = &text[0];
    return true;
}

Menu LoadMenuResource(UINT id) {
    return Menu(::LoadMenuA(ModuleWith(id, resource_type::Menu()), MAKEINTRESOURCEA(id)));
}

Bitmap LoadBitmapResource(UINT id) {
    return Bitmap(static_cast<HBITMAP>(::LoadImageA(ModuleWith(id, resource_type::Bitmap()),
                                                    MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                                    LR_CREATEDIBSECTION)));
}

Icon LoadIconResource(UINT id, int size) {
    return Icon(static_cast<HICON>(::LoadImageA(ModuleWith(id, resource_type::GroupIcon()),
                                                MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0)));
}

HICON LoadSharedIcon(UINT id) {
    return ::LoadIconA(ModuleWith(id, resource_type::GroupIcon()), MAKEINTRESOURCEA(id));
}

HICON LoadSharedSmallIcon(UINT id) {
    return static_cast<HICON>(
        ::LoadImageA(ModuleWith(id, resource_type::GroupIcon()), MAKEINTRESOURCEA(id), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

HCURSOR LoadSharedCursor(UINT id) {
    return ::LoadCursorA(ModuleWith(id, resource_type::GroupCursor()), MAKEINTRESOURCEA(id));
}

HACCEL LoadAcceleratorResource(UINT id) {
    return ::LoadAcceleratorsA(ModuleWith(id, resource_type::Accelerators()), MAKEINTRESOURCEA(id));
}

Bitmap LoadPicture(UINT id) {
    UINT sized = dpi::SizedPictureId(id);
    if (sized != id) {
        Bitmap picture = LoadBitmapResource(sized);
        if (picture) return picture;
    }
    return LoadBitmapResource(id);
}

ImageList LoadImageStrip(UINT id) {
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

Icon SetDialogIcons(HWND dialog, HIMAGELIST strip, int image, bool programIcon) {
    Icon small(strip ? ImageList_GetIcon(strip, image, ILD_TRANSPARENT) : nullptr);
    ::SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    if (programIcon)
        ::SendMessageA(dialog, WM_SETICON, ICON_BIG,
                       reinterpret_cast<LPARAM>(LoadSharedIcon(IDR_MAINFRAME)));
    return small;
}

void ShowPopupMenu(HWND owner, UINT menuId, int index, const std::function<void(HMENU)>& prepare) {
    Menu menu = LoadMenuResource(menuId);
    HMENU popup = menu ? ::GetSubMenu(menu.get(), index) : nullptr;
    if (!popup) return;
    if (prepare) prepare(popup);
    POINT at;
    ::GetCursorPos(&at);
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
}

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
    CWinApp* app = CWinApp::Get();
    return ::MessageBoxA(owner, text.c_str(), app ? app->m_appName.c_str() : "", flags);
}

HWND ModalOwner() {
    CWinApp* app = CWinApp::Get();
    HWND main = app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
    if (!main) return nullptr;
    HWND popup = ::GetLastActivePopup(main);
    return popup && ::IsWindowEnabled(popup) ? popup : main;
}
