#include "ui/COpenServicesDlg.h"

#include <commctrl.h>

#include "framework/Resources.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/ButtonBar.h"
#include "ui/CRemoteMachinesDlg.h"

COpenServicesDlg::COpenServicesDlg(const Resources& resources, platform::RegistryApi& registry,
                                   HWND parent)
    : CDialog(resources, IDD_OPEN_SERVICES, parent), registry_(registry), machines_(registry) {}

void COpenServicesDlg::DoDataExchange(CDataExchange& dx) {
    dx.Radio(IDC_OPEN_LOCAL, machineChoice_);
    dx.Check(IDC_OPEN_ACTIVE, active_);
    dx.Check(IDC_OPEN_INACTIVE, inactive_);
    dx.Check(IDC_OPEN_WIN32, win32_);
    dx.Check(IDC_OPEN_DRIVER, driver_);
}

std::string COpenServicesDlg::MachineText() const {
    return WindowText(::GetDlgItem(m_hWnd, IDC_OPEN_MACHINE));
}

// The box is filled afresh; what was typed in it stays.
void COpenServicesDlg::OfferMachines() {
    HWND box = ::GetDlgItem(m_hWnd, IDC_OPEN_MACHINE);
    std::string kept = MachineText();
    ::SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (const OfferedMachine& offered : machines_.Offer()) {
        if (::SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(offered.text.c_str())) != CB_ERR)
            continue;
        LRESULT item =
            ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(offered.text.c_str()));
        if (item >= 0) ::SendMessageA(box, CB_SETITEMDATA, item, offered.slot);
    }
    if (!kept.empty()) ::SetWindowTextA(box, kept.c_str());
}

void COpenServicesDlg::EnableMachine(bool remote) {
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OPEN_MACHINE), remote);
    if (buttonBar_.Hwnd())
        ::SendMessageA(buttonBar_.Hwnd(), TB_ENABLEBUTTON, ID_REMOTE_MACHINES, remote);
}

// The remote machines dialog starts on the machine the box names; what it
// returns goes into the box.
void COpenServicesDlg::ManageMachines() {
    CRemoteMachinesDlg dialog(Res(), registry_, machines_.Resolve(MachineText()), m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    ::SetWindowTextA(::GetDlgItem(m_hWnd, IDC_OPEN_MACHINE), dialog.result.c_str());
    OfferMachines();
}

bool COpenServicesDlg::OnInitDialog() {
    CreateButtonBar(Res(), buttonBar_, m_hWnd, IDC_OPEN_BUTTON_BAR, IDR_REMOTE_BUTTON);
    // Without the settings key every box starts cleared.
    SettingsStore store(registry_);
    active_ = store.Read(settings::kActive, 0);
    inactive_ = store.Read(settings::kInactive, 0);
    win32_ = store.Read(settings::kWin32, 0);
    driver_ = store.Read(settings::kDriver, 0);
    OfferMachines();
    machine = RemoteMachineList::Normalized(machine);
    machine = machines_.AliasOf(machine);
    bool remote = !RemoteMachineList::IsLocalName(machine);
    machineChoice_ = remote ? 1 : 0;
    HWND box = ::GetDlgItem(m_hWnd, IDC_OPEN_MACHINE);
    if (remote) {
        std::string shown = RemoteMachineList::Normalized(machine);
        LRESULT item = ::SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(shown.c_str()));
        ::SendMessageA(box, CB_SETCURSEL, item == CB_ERR ? static_cast<WPARAM>(-1) : item, 0);
    }
    EnableMachine(remote);
    UpdateData(false);
    return true;
}

bool COpenServicesDlg::OnCommand(UINT id) {
    if (id == IDC_OPEN_LOCAL || id == IDC_OPEN_REMOTE) {
        EnableMachine(id == IDC_OPEN_REMOTE);
        return true;
    }
    if (id == ID_REMOTE_MACHINES) {
        ManageMachines();
        return true;
    }
    return false;
}

void COpenServicesDlg::OnOK() {
    if (!UpdateData(true)) return;
    std::string message;
    if (!active_ && !inactive_) message = Res().LoadText(IDS_OPEN_NO_STATE);
    if (!win32_ && !driver_)
        message += (message.empty() ? "" : "\n") + Res().LoadText(IDS_OPEN_NO_KIND);
    if (!message.empty()) {
        ShowMessage(m_hWnd, message, MB_OK | MB_ICONINFORMATION);
        return;
    }
    SettingsStore store(registry_);
    store.Write(settings::kActive, active_);
    store.Write(settings::kInactive, inactive_);
    store.Write(settings::kWin32, win32_);
    store.Write(settings::kDriver, driver_);
    machine.clear();
    if (machineChoice_ == 1) {
        machine = machines_.Resolve(MachineText());
        if (RemoteMachineList::IsLocalName(machine)) {
            machine.clear();
            machineChoice_ = 0;
        } else {
            machines_.RecordUse(machine);
        }
    }
    EndDialog(IDOK);
}

// The button bar's tooltip is its command's.
LRESULT COpenServicesDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && Res().AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return 0;
    return CDialog::WindowProc(msg, wp, lp);
}
