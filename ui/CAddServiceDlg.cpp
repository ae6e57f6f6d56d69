#include "ui/CAddServiceDlg.h"

#include "res/resource.h"
#include "toolkit/DialogControls.h"

CAddServiceDlg::CAddServiceDlg(const Resources& resources, ServicesDocument* document, HWND owner)
    : CDialog(resources, IDD_ADD_SERVICE, owner), document_(document) {}

bool CAddServiceDlg::OnInitDialog() {
    HWND combo = ::GetDlgItem(m_hWnd, IDC_SETTINGS_SERVICE);
    ServiceList* list = document_ ? &document_->currentList : nullptr;
    for (uint32_t i = 0; list && i < list->GetCount(); ++i)
        if (const ServiceEntry* entry = list->EntryAt(i))
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->name));
    return CDialog::OnInitDialog();
}

// An empty name keeps the dialog open, the box emptied and focused.
void CAddServiceDlg::OnOK() {
    std::string text = dialog::TextOf(m_hWnd, IDC_SETTINGS_SERVICE);
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    if (first == std::string::npos) {
        ::SetDlgItemTextA(m_hWnd, IDC_SETTINGS_SERVICE, "");
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_SETTINGS_SERVICE));
        return;
    }
    name = text.substr(first, last - first + 1);
    EndDialog(IDOK);
}
