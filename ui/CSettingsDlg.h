#pragma once
// Every setting of the program on six pages: general, comparison, the
// list's columns, what a detected change does (and the history log), the
// services' custom actions, and the language. Everything is written on OK,
// in order; Cancel writes nothing (installed and removed language modules
// aside, which are written at once).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>
#include <vector>

#include "document/ServicesDocument.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/ToolBar.h"
#include "res/resource.h"
#include "settings/SettingsPages.h"
#include "settings/SettingsStore.h"
#include "toolkit/CPropertyPage.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/AppContext.h"
#include "ui/CCustomActionsPage.h"

class CSettingsDlg : public CDialog {
public:
    enum Page { kGeneral, kComparison, kColumns, kActions, kCustom, kLanguage, kPages };

    // `document` lists the services the add-service dialog offers (none
    // without one); a page outside the six opens the first.
    CSettingsDlg(AppContext& context, ServicesDocument* document, int initialPage);

    int SelectedPage() const;
    void SelectPage(int page);
    HWND PageWindow(int page) { return PageAt(page).GetSafeHwnd(); }
    HWND ActionsWindow() const { return customActions_.GetSafeHwnd(); }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    CPropertyPage& PageAt(int page);
    bool CreatePages();
    void ShowGeneral(SettingsStore& store);
    void ShowComparison(SettingsStore& store);
    void ShowColumns(SettingsStore& store);
    bool ReadLogSettings(SettingsStore& store);
    void ApplyGeneralRule(bool clear);
    int PeriodIndex() const;
    void ApplyComparisonRule();
    void ReadActionsPage();
    void ShowActionsPage();
    void ChooseLogFile();
    void KeepNameColumn(NMLISTVIEW* change);
    // Custom actions.
    void LoadCustomActions();
    void ShowChosenService();
    void AddService();
    void DeleteActions();
    // Language.
    void FillLanguages();
    void UpdateLanguageCommands();
    void SelectLanguage();
    bool StillValid(int row);
    void InstallLanguage();
    void UninstallLanguage();
    bool ApplyLanguage();
    LRESULT DrawLanguageRow(NMLVCUSTOMDRAW* draw);
    LRESULT DrawColumnRow(NMLVCUSTOMDRAW* draw);
    bool WriteAll();

    bool HandleGeneral(UINT msg, WPARAM wp);
    bool HandleComparison(UINT msg, WPARAM wp);
    bool HandleColumns(UINT msg, LPARAM lp, LRESULT* result);
    bool HandleActions(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    bool HandleCustom(UINT msg, WPARAM wp);
    bool HandleLanguage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    AppContext& context_;
    ServicesDocument* document_;
    int initialPage_;
    CPropertyPage general_{IDD_SETTINGS_GENERAL};
    CPropertyPage comparison_{IDD_SETTINGS_COMPARISON};
    CPropertyPage columns_{IDD_SETTINGS_COLUMNS};
    CPropertyPage actionsPage_{IDD_SETTINGS_ACTIONS};
    CPropertyPage custom_{IDD_SETTINGS_CUSTOM};
    CPropertyPage language_{IDD_SETTINGS_LANGUAGE};
    CCustomActionsPage customActions_;
    ToolBar logBar_, actionsBar_, languageBar_;
    ImageList images_;
    Icon icon_;
    Brush warningBrush_;
    listctrl::RowFonts fonts_;

    ActionsPage actions_;
    CustomActionsCopy copy_;
    std::string shownService_;  // whose actions the page shows; empty for none

    struct LanguageRow {
        int module;  // index into modules_, -1 for the built-in texts
        int icon;
    };
    std::vector<std::string> modules_;
    std::vector<LanguageRow> languageRows_;
    std::string chosenLanguage_;
    std::string pendingLanguageErrors_;
};
