#include "framework/ToolBar.h"

#include <commctrl.h>

#include <vector>

#include "framework/Resources.h"

namespace {

// The toolbar resource: the image size, the count and the command ids (0 for
// a separator), in words behind a version word of 1 as Microsoft's resource
// compiler writes it, or in double words as windres writes it.
std::vector<UINT> ToolBarCommands(const Resources& resources, UINT resourceId) {
    std::vector<UINT> ids;
    HINSTANCE module = resources.ModuleWith(resourceId, resource_type::ToolBar());
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), resource_type::ToolBar());
    if (!found) return ids;
    const void* data = ::LockResource(::LoadResource(module, found));
    DWORD size = ::SizeofResource(module, found);
    if (!data || size < 8) return ids;
    const WORD* words = static_cast<const WORD*>(data);
    const DWORD* dwords = static_cast<const DWORD*>(data);
    if (words[0] == 1 && size >= 8u + 2u * words[3]) {
        for (WORD i = 0; i < words[3]; ++i) ids.push_back(words[4 + i]);
    } else if (size >= 12 && dwords[2] <= (size - 12) / 4) {
        for (DWORD i = 0; i < dwords[2]; ++i) ids.push_back(dwords[3 + i]);
    }
    return ids;
}

}  // namespace

ToolBar::~ToolBar() {
    // The control may outlive this object: it must not draw a freed list.
    if (bar_ && ::IsWindow(bar_)) ::SendMessageA(bar_, TB_SETIMAGELIST, 0, 0);
}

bool ToolBar::Create(const Resources& resources, HWND parent, UINT resourceId, UINT barId,
                     DWORD style) {
    std::vector<UINT> ids = ToolBarCommands(resources, resourceId);
    if (ids.empty()) return false;
    style |= WS_CHILD | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
             CCS_NOPARENTALIGN;
    bar_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(barId)),
                             ::GetModuleHandleA(nullptr), nullptr);
    if (!bar_) return false;
    ::SendMessageA(bar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    images_ = resources.LoadImageStrip(resourceId);
    int size = 0, unused = 0;
    if (images_ && ImageList_GetIconSize(images_.get(), &size, &unused))
        ::SendMessageA(bar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
    ::SendMessageA(bar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT id : ids) {
        TBBUTTON b{};
        b.idCommand = static_cast<int>(id);
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = id == 0 ? BTNS_SEP : BTNS_BUTTON;
        b.iBitmap = id == 0 ? 0 : image++;
        buttons.push_back(b);
    }
    ::SendMessageA(bar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    return true;
}
