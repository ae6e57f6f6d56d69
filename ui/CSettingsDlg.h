#pragma once
// Every setting of the program on six pages: general, comparison, the
// list's columns, what a detected change does (and the history log), the
// services' custom actions, and the language. Everything is written on OK,
// in order; Cancel writes nothing (installed and removed language modules
// aside, which are written at once).
#include <windows.h>

#include <memory>

#include "document/ServicesDocument.h"
#include "framework/Dialog.h"
#include "platform/win32/Handles.h"
#include "toolkit/CPropertyPage.h"
#include "ui/AppContext.h"
#include "ui/CChangeActionsPage.h"
#include "ui/CColumnsPage.h"
#include "ui/CComparisonPage.h"
#include "ui/CGeneralPage.h"
#include "ui/CLanguagePage.h"
#include "ui/CServiceActionsPage.h"

class CSettingsDlg : public CDialog {
public:
    enum Page { kGeneral, kComparison, kColumns, kActions, kCustom, kLanguage, kPages };

    // `document` lists the services the add-service dialog offers (none
    // without one); a page outside the six opens the first.
    CSettingsDlg(AppContext& context, ServicesDocument* document, int initialPage,
                 HWND parent = nullptr);

    int SelectedPage() const;
    void SelectPage(int page);
    HWND PageWindow(int page) { return PageAt(page).GetSafeHwnd(); }
    HWND ActionsWindow() const { return serviceActions_.ActionsWindow(); }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CPropertyPage& PageAt(int page);
    bool CreatePages();
    // The comparison page's period switches the actions page's checks.
    void ApplyComparison();
    bool WriteAll();

    AppContext& context_;
    int initialPage_;
    CGeneralPage general_;
    CComparisonPage comparison_;
    CColumnsPage columns_;
    CChangeActionsPage changeActions_;
    CServiceActionsPage serviceActions_;
    CLanguagePage language_;
    ImageList images_;
    Icon icon_;
    std::unique_ptr<tabbed::PageKeys> pageKeys_;
};
