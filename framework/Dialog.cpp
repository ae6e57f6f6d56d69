#include "framework/Dialog.h"

#include <algorithm>
#include <vector>

#include "framework/Resources.h"

void CDataExchange::Text(int id, std::string& value) {
    HWND control = Control(id);
    if (!save_) {
        ::SetWindowTextA(control, value.c_str());
        return;
    }
    value = WindowText(control);
}

void CDataExchange::Check(int id, int& value) {
    if (save_)
        value = static_cast<int>(::IsDlgButtonChecked(dialog_, id));
    else
        ::CheckDlgButton(dialog_, id, static_cast<UINT>(value));
}

void CDataExchange::Radio(int firstId, int& value) {
    HWND button = Control(firstId);
    if (save_) value = -1;
    for (int index = 0; button != nullptr; ++index) {
        if (save_ && ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        if (!save_)
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        button = ::GetWindow(button, GW_HWNDNEXT);
        if (button && (::GetWindowLongPtrA(button, GWL_STYLE) & WS_GROUP)) break;
    }
}

void CDataExchange::Fail(int id) {
    failed_ = true;
    if (HWND control = Control(id)) ::SetFocus(control);
}

namespace {
std::vector<CDialog*>& Modeless() {
    static std::vector<CDialog*> dialogs;
    return dialogs;
}
}  // namespace

CDialog::~CDialog() {
    auto& modeless = Modeless();
    modeless.erase(std::remove(modeless.begin(), modeless.end(), this), modeless.end());
    if (!modal_ && m_hWnd) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    HWND owner = ModalOwner(parent_);
    HINSTANCE module = Res().ModuleWith(templateId_, resource_type::Dialog());
    modal_ = true;
    INT_PTR result = ::DialogBoxParamA(module, MAKEINTRESOURCEA(templateId_), owner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool CDialog::Create(HWND owner) {
    if (m_hWnd) return true;
    HINSTANCE module = Res().ModuleWith(templateId_, resource_type::Dialog());
    modal_ = false;
    HWND made = ::CreateDialogParamA(module, MAKEINTRESOURCEA(templateId_), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!made) return false;
    if (std::find(Modeless().begin(), Modeless().end(), this) == Modeless().end())
        Modeless().push_back(this);
    return true;
}

void CDialog::EndDialog(INT_PTR result) {
    if (modal_)
        ::EndDialog(m_hWnd, result);
    else
        ::ShowWindow(m_hWnd, SW_HIDE);
}

bool CDialog::PreTranslate(MSG* msg) {
    for (CDialog* dialog : Modeless()) {
        HWND window = dialog->GetSafeHwnd();
        if (window && (msg->hwnd == window || ::IsChild(window, msg->hwnd)) &&
            ::IsDialogMessageA(window, msg))
            return true;
    }
    return false;
}

bool CDialog::UpdateData(bool save) {
    CDataExchange dx(m_hWnd, save);
    DoDataExchange(dx);
    return !dx.Failed();
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

// The object takes the window's messages from WM_INITDIALOG on; the dialog
// manager's own handling stays behind it as the default.
INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lp);
    // Nothing may unwind through the dialog manager; a dialog that could not
    // set itself up is not left on screen half made.
    const INT_PTR kFailed = -1;
    INT_PTR focus = Guarded(dialog->GetResources(), msg, kFailed, [&]() -> INT_PTR {
        dialog->Attach(hwnd);
        return dialog->OnInitDialog() ? TRUE : FALSE;
    });
    if (focus != kFailed) return focus;
    ::EndDialog(hwnd, -1);
    return FALSE;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) <= 1) {
        switch (LOWORD(wp)) {
            case IDOK:
                OnOK();
                return 0;
            case IDCANCEL:
                OnCancel();
                return 0;
            default:
                if (OnCommand(LOWORD(wp))) return 0;
                break;
        }
    }
    return CWnd::WindowProc(msg, wp, lp);
}

// (The thread's hidden input-method window is disabled for good, so only
// shown windows count.)
bool ModalDialogRunning() {
    bool found = false;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM lp) -> BOOL {
            if (!::IsWindowVisible(window)) return TRUE;
            HWND owner = ::GetWindow(window, GW_OWNER);
            if (::IsWindowEnabled(window) && !(owner && !::IsWindowEnabled(owner))) return TRUE;
            *reinterpret_cast<bool*>(lp) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}
