#include "ui/ServiceViewSupport.h"

#include <memory>

#include "framework/Resources.h"
#include "res/resource.h"
#include "ui/CServicePropertiesDlg.h"
#include "ui/CVantorelDocument.h"
#include "views/ServiceListModel.h"

bool RunWithServices(ServicesDocument& document, std::function<void()> work,
                     const answering::Wait& wait) {
    document.busy = true;
    bool finished = answering::Run(std::move(work), wait);
    // Work the program left behind as it ended keeps the services.
    document.busy = !finished;
    return finished;
}

void ShowContextMenu(const Resources& resources, HWND view, int popup, const POINT* at) {
    resources.ShowPopupMenu(::GetAncestor(view, GA_ROOT), IDR_CONTEXT_MENUS, popup, nullptr, at);
}

bool TakeContextMenuKey(UINT msg, WPARAM wp, bool* show) {
    bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    bool up = msg == WM_KEYUP || msg == WM_SYSKEYUP;
    bool apps = wp == VK_APPS && (down || up);
    bool shiftF10 = wp == VK_F10 && (down || up) && ::GetKeyState(VK_SHIFT) < 0;
    *show = (apps && up) || (shiftF10 && down);
    return apps || shiftF10;
}

std::vector<uint32_t> RefreshedStatuses(CVantorelDocument& document,
                                        std::vector<uint32_t> indexes) {
    if (document.Busy()) return {};  // the operation under way has the services
    auto changed = std::make_shared<std::vector<uint32_t>>();
    ServiceList* list = &document.Services();
    if (!document.RunBusy([changed, list, indexes = std::move(indexes)] {
            *changed = list->RefreshStatuses(indexes);
        }))
        return {};
    return std::move(*changed);
}

void ReloadServices(CVantorelDocument* document) {
    if (document && document->LoadServices()) document->UpdateAllViews();
}

bool IsServiceCommand(UINT id) {
    return id == ID_SERVICE_PROPERTIES || id == ID_SERVICE_START || id == ID_SERVICE_STOP ||
           id == ID_SERVICE_PAUSE || id == ID_SERVICE_RESTART;
}

namespace {
// After an OK the services are loaded again: every view rebuilds.
void ShowProperties(CVantorelDocument* document, ServiceEntry* entry, HWND view) {
    CServicePropertiesDlg dialog(document->Context(), document->Core(),
                                 ::GetAncestor(view, GA_ROOT));
    dialog.SetEntry(entry, true);
    if (dialog.DoModal() == IDOK) ReloadServices(document);
}
}  // namespace

bool RunServiceCommand(CVantorelDocument* document, ServiceEntry* entry, UINT id, HWND view) {
    if (!document || !entry) return false;
    if (document->Busy()) {
        document->RefuseWhileBusy();
        return false;
    }
    if (id == ID_SERVICE_PROPERTIES) {
        ShowProperties(document, entry, view);
        return false;
    }
    // The command and its wait for the service to settle run while the
    // windows answer; the result is shared, as a program that ends meanwhile
    // leaves the command to finish on its own.
    ServiceCommands& commands = document->Commands();
    auto ok = std::make_shared<bool>(false);
    bool finished = document->RunBusy([&commands, entry, id, ok] {
        *ok = id == ID_SERVICE_START   ? commands.StartOrContinue(*entry)
              : id == ID_SERVICE_STOP  ? commands.StopService(*entry)
              : id == ID_SERVICE_PAUSE ? commands.PauseService(*entry)
                                       : commands.RestartService(*entry);
    });
    if (!finished) return false;
    if (*ok) return true;
    UINT icon = id == ID_SERVICE_START ? MB_ICONERROR : MB_ICONEXCLAMATION;
    ShowMessage(::GetAncestor(view, GA_ROOT), document->GetLastErrorText(), MB_OK | icon);
    return true;
}

void UpdateServiceCommand(CCmdUI& ui, const ServiceEntry* entry) {
    ui.Enable(ui.id == ID_SERVICE_PROPERTIES ? entry != nullptr
              : ui.id == ID_SERVICE_START    ? CanStart(entry)
              : ui.id == ID_SERVICE_STOP     ? CanStop(entry)
              : ui.id == ID_SERVICE_PAUSE    ? CanPause(entry)
                                             : CanRestart(entry));
}
