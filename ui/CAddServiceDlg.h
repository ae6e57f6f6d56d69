#pragma once
// The name of a service to give custom actions to: typed, or chosen from
// the document's services; trimmed, and never empty.
#include <string>

#include "document/ServicesDocument.h"
#include "framework/Dialog.h"

class CAddServiceDlg : public CDialog {
public:
    // `document` may be null: the list then offers nothing.
    CAddServiceDlg(const Resources& resources, ServicesDocument* document, HWND owner);
    std::string name;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    ServicesDocument* document_;
};
