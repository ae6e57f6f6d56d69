#include "app/FilterBar.h"

#include "framework/DockBar.h"
#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "res/resource.h"
#include "ui/CVantorelDocument.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceFilter.h"

namespace {
// At 100 %: down a side of the frame the bar is as wide.
const int kBoxWidth = 120;
}  // namespace

bool FilterBar::Create(CDockBar& dock) {
    if (!box_.Create(dock.GetSafeHwnd(), IDC_FILTER_BOX, resources_.LoadText(IDS_FILTER_LABEL),
                     resources_.LoadText(IDS_FILTER_CUE)))
        return false;
    dock.HoldBox(box_.Label(), box_.GetSafeHwnd(), dpi::Scale(kBoxWidth));
    return true;
}

void FilterBar::Show(FilteredView* view, HWND window) {
    view_ = view;
    box_.SetResultWindow(window);
}

bool FilterBar::OnCommand(WPARAM wp, CVantorelDocument* document) {
    if (LOWORD(wp) == IDC_FILTER_BOX && HIWORD(wp) == EN_CHANGE) {
        if (!document) return true;
        document->SetFilterText(box_.Text());
        if (view_) view_->ApplyFilter();
        return true;
    }
    if (LOWORD(wp) == ID_EDIT_COPY && HIWORD(wp) <= 1 && ::GetFocus() == box_.GetSafeHwnd()) {
        box_.SendMessage(WM_COPY);
        return true;
    }
    return false;
}

std::string FilterBar::CountText(const CVantorelDocument* document) const {
    if (!view_ || !document) return std::string();
    return ServiceCountText(texts_, view_->ShownServices(), view_->TotalServices(),
                            !document->FilterText().empty());
}
