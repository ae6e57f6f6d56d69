#include "toolkit/MenuImages.h"

#include "framework/Dpi.h"
#include "platform/win32/Handles.h"

namespace {
const int kGap = 3;  // between the picture and the text, at 100 %

// The pictures are the toolbars': as big as the scaling made them.
int SizeOf(HIMAGELIST list) {
    int size = 0, unused = 0;
    return ImageList_GetIconSize(list, &size, &unused) ? size : 0;
}
}  // namespace

void MenuImages::AddToolBar(HWND toolBar) {
    auto list = reinterpret_cast<HIMAGELIST>(::SendMessageA(toolBar, TB_GETIMAGELIST, 0, 0));
    if (!list) return;
    int count = static_cast<int>(::SendMessageA(toolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        ::SendMessageA(toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b));
        if (b.fsStyle & BTNS_SEP || b.idCommand == 0) continue;
        images_.emplace(static_cast<UINT>(b.idCommand), Image{list, b.iBitmap});
    }
}

const MenuImages::Image* MenuImages::Find(UINT command) const {
    auto it = images_.find(command);
    return it == images_.end() ? nullptr : &it->second;
}

// The system asks for the picture of an item whose bitmap is a callback.
void MenuImages::OnInitMenuPopup(HMENU menu) const {
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        UINT id = ::GetMenuItemID(menu, i);
        if (id == static_cast<UINT>(-1) || !Find(id)) continue;
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;
        ::SetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    }
}

bool MenuImages::OnMeasureItem(MEASUREITEMSTRUCT* item) const {
    const Image* image = item->CtlType == ODT_MENU ? Find(item->itemID) : nullptr;
    if (!image) return false;
    int size = SizeOf(image->list);
    item->itemWidth = static_cast<UINT>(size + dpi::Scale(kGap));
    item->itemHeight = static_cast<UINT>(size);
    return true;
}

bool MenuImages::OnDrawItem(const DRAWITEMSTRUCT* item) const {
    if (item->CtlType != ODT_MENU) return false;
    const Image* image = Find(item->itemID);
    if (!image) return false;
    const RECT& r = item->rcItem;
    int size = SizeOf(image->list);
    int x = r.left, y = r.top + (r.bottom - r.top - size) / 2;
    if (!(item->itemState & (ODS_GRAYED | ODS_DISABLED))) {
        ImageList_Draw(image->list, image->index, item->hDC, x, y, ILD_TRANSPARENT);
        return true;
    }
    // A command that cannot be chosen shows its picture embossed, as the
    // system shows its own greyed pictures.
    Icon icon(ImageList_GetIcon(image->list, image->index, ILD_TRANSPARENT));
    if (icon)
        ::DrawStateA(item->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon.get()), 0, x, y,
                     size, size, DST_ICON | DSS_DISABLED);
    return true;
}
