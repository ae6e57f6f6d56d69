#include "ui/CSettingsDlg.h"

#include "framework/Dpi.h"
#include "framework/FileDialog.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "settings/LanguageModule.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/DialogControls.h"
#include "views/ServiceListModel.h"

namespace {

using dialog::Check;
using dialog::Checked;
using dialog::ComboText;
using dialog::Enable;
using dialog::TextOf;

const int kDialogIcon = 21;
const int kTabImages[CSettingsDlg::kPages] = {22, 23, 25, 24, 10, 15};
const int kLanguageValid = 15, kLanguageChosen = 16, kLanguageInvalid = 17;

using listctrl::InsertRow;

void OneColumn(HWND list) {
    listctrl::InsertColumn(list, 0, std::string(), 100);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

// The add-service dialog: a name typed or chosen from the document's
// services, trimmed; an empty one keeps the dialog open.
class CAddServiceDlg : public CDialog {
public:
    CAddServiceDlg(ServicesDocument* document, HWND owner)
        : CDialog(IDD_ADD_SERVICE, owner), document_(document) {}
    std::string name;

protected:
    bool OnInitDialog() override {
        HWND combo = ::GetDlgItem(m_hWnd, IDC_SETTINGS_SERVICE);
        ServiceList* list = document_ ? &document_->currentList : nullptr;
        for (uint32_t i = 0; list && i < list->GetCount(); ++i)
            if (const ServiceEntry* entry = list->EntryAt(i))
                ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry->name));
        return CDialog::OnInitDialog();
    }
    void OnOK() override {
        std::string text = TextOf(m_hWnd, IDC_SETTINGS_SERVICE);
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

private:
    ServicesDocument* document_;
};

}  // namespace

CSettingsDlg::CSettingsDlg(AppContext& context, ServicesDocument* document, int initialPage)
    : CDialog(IDD_SETTINGS),
      context_(context),
      document_(document),
      initialPage_(initialPage >= 0 && initialPage < kPages ? initialPage : kGeneral) {}

CPropertyPage& CSettingsDlg::PageAt(int page) {
    CPropertyPage* pages[kPages] = {&general_,     &comparison_, &columns_,
                                    &actionsPage_, &custom_,     &language_};
    return *pages[page >= 0 && page < kPages ? page : 0];
}

bool CSettingsDlg::OnInitDialog() {
    SettingsStore store(context_.platform.registry);
    if (!store.OpenConfiguration()) {
        ShowMessage(m_hWnd, LoadText(IDS_REGISTRY_ERROR), MB_OK | MB_ICONSTOP);
        EndDialog(IDCANCEL);
        return false;
    }
    images_ = LoadImageStrip(IDB_ICON_STRIP);
    icon_ = SetDialogIcons(m_hWnd, images_.get(), kDialogIcon, true);
    tabbed::AddTabs(
        ::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS), images_.get(), kPages,
        [](int page) { return LoadText(IDS_SETTINGS_TAB_BASE + page); },
        [](int page) { return kTabImages[page]; });
    if (!CreatePages()) {
        EndDialog(IDCANCEL);
        return false;
    }
    ShowGeneral(store);
    ShowComparison(store);
    ShowColumns(store);
    FillLanguages();
    if (!ReadLogSettings(store)) {
        ShowMessage(m_hWnd, LoadText(IDS_REGISTRY_ERROR), MB_OK | MB_ICONSTOP);
        return true;
    }
    ApplyComparisonRule();
    LoadCustomActions();
    SelectPage(initialPage_);
    return true;
}

bool CSettingsDlg::CreatePages() {
    general_.handle = [this](UINT m, WPARAM w, LPARAM, LRESULT*) { return HandleGeneral(m, w); };
    comparison_.handle = [this](UINT m, WPARAM w, LPARAM, LRESULT*) {
        return HandleComparison(m, w);
    };
    columns_.handle = [this](UINT m, WPARAM, LPARAM l, LRESULT* r) {
        return HandleColumns(m, l, r);
    };
    actionsPage_.handle = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
        return HandleActions(m, w, l, r);
    };
    custom_.handle = [this](UINT m, WPARAM w, LPARAM, LRESULT*) { return HandleCustom(m, w); };
    language_.handle = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
        return HandleLanguage(m, w, l, r);
    };
    if (!tabbed::CreatePages(m_hWnd, ::GetDlgItem(m_hWnd, IDC_SETTINGS_PAGE_AREA), kPages,
                             [this](int page) -> CPropertyPage& { return PageAt(page); }))
        return false;
    HWND custom = custom_.GetSafeHwnd();
    if (!customActions_.CreateOver(custom, ::GetDlgItem(custom, IDC_SETTINGS_PAGE_AREA)))
        return false;
    ::ShowWindow(customActions_.GetSafeHwnd(), SW_SHOW);
    CreateButtonBar(logBar_, actionsPage_.GetSafeHwnd(), IDC_SETTINGS_BUTTON_BAR, IDR_LOG_BAR);
    CreateButtonBar(actionsBar_, custom, IDC_SETTINGS_BUTTON_BAR, IDR_ACTIONS_BAR);
    CreateButtonBar(languageBar_, language_.GetSafeHwnd(), IDC_SETTINGS_BUTTON_BAR,
                    IDR_LANGUAGE_BAR, true);
    return true;
}

int CSettingsDlg::SelectedPage() const {
    return tabbed::SelectedTab(::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS));
}

// Leaving a page, the comparison it may have switched off or on is applied
// to the actions page; the language page tells its invalid modules once.
void CSettingsDlg::SelectPage(int page) {
    ApplyComparisonRule();
    tabbed::ShowPage(::GetDlgItem(m_hWnd, IDC_SETTINGS_TABS), page, kPages,
                     [this](int other) -> CPropertyPage& { return PageAt(other); });
    if (page == kLanguage && !pendingLanguageErrors_.empty()) {
        std::string errors;
        errors.swap(pendingLanguageErrors_);
        ShowMessage(m_hWnd, errors, MB_OK | MB_ICONEXCLAMATION);
    }
}

// ---- General

void CSettingsDlg::ShowGeneral(SettingsStore& store) {
    HWND page = general_.GetSafeHwnd();
    Check(page, IDC_SETTINGS_TRAY_ICON, store.Read(settings::kShowTrayIcon) != 0);
    Check(page, IDC_SETTINGS_HIDE_ON_MINIMIZE, store.Read(settings::kHideOnMinimize) != 0);
    Check(page, IDC_SETTINGS_RUN_MINIMIZED, store.Read(settings::kRunMinimized) != 0);
    Check(page, IDC_SETTINGS_START_AT_LOGON, store.IsStartAtLogon(context_.launchPath));
    Check(page, IDC_SETTINGS_REMEMBER_PLACEMENT, store.Read(settings::kRememberPlacement) != 0);
    Check(page, IDC_SETTINGS_INDEPENDENT, store.Read(settings::kIndependentWindow) != 0);
    ApplyGeneralRule(false);
}

void CSettingsDlg::ApplyGeneralRule(bool clear) {
    HWND page = general_.GetSafeHwnd();
    bool tray = Checked(page, IDC_SETTINGS_TRAY_ICON);
    for (int id : {IDC_SETTINGS_HIDE_ON_MINIMIZE, IDC_SETTINGS_RUN_MINIMIZED}) {
        Enable(page, id, tray);
        if (clear && !tray) Check(page, id, false);
    }
}

bool CSettingsDlg::HandleGeneral(UINT msg, WPARAM wp) {
    if (msg != WM_COMMAND || LOWORD(wp) != IDC_SETTINGS_TRAY_ICON || HIWORD(wp) != BN_CLICKED)
        return false;
    ApplyGeneralRule(true);
    return true;
}

// ---- Comparison

void CSettingsDlg::ShowComparison(SettingsStore& store) {
    HWND page = comparison_.GetSafeHwnd();
    bool stateOnly = store.Read(settings::kCompareType) != 0;
    Check(page, IDC_SETTINGS_COMPARE_ALL, !stateOnly);
    Check(page, IDC_SETTINGS_COMPARE_STATE, stateOnly);
    // A DWORD: its high values are long periods, not negative ones.
    int index = PeriodIndexOf(static_cast<uint32_t>(store.Read(settings::kCompareTimer)));
    ::SendDlgItemMessageA(page, IDC_SETTINGS_PERIOD, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    HandleComparison(WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_PERIOD, CBN_SELCHANGE));
}

int CSettingsDlg::PeriodIndex() const {
    return static_cast<int>(
        ::SendDlgItemMessageA(comparison_.GetSafeHwnd(), IDC_SETTINGS_PERIOD, CB_GETCURSEL, 0, 0));
}

bool CSettingsDlg::HandleComparison(UINT msg, WPARAM wp) {
    if (msg != WM_COMMAND || LOWORD(wp) != IDC_SETTINGS_PERIOD || HIWORD(wp) != CBN_SELCHANGE)
        return false;
    bool on = PeriodIndex() > 0;
    Enable(comparison_.GetSafeHwnd(), IDC_SETTINGS_COMPARE_ALL, on);
    Enable(comparison_.GetSafeHwnd(), IDC_SETTINGS_COMPARE_STATE, on);
    return true;
}

// ---- Columns

void CSettingsDlg::ShowColumns(SettingsStore& store) {
    HWND list = ::GetDlgItem(columns_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    OneColumn(list);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    for (int column = 0; column < settings::kColumnCount; ++column) {
        InsertRow(list, column, LoadText(ColumnTitleId(column)), 0);
        ListView_SetCheckState(list, column, column == 0 || store.IsColumnVisible(column));
    }
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
}

// "Nombre" is always shown: a change of its row is undone at once.
void CSettingsDlg::KeepNameColumn(NMLISTVIEW* change) {
    if (change->iItem != 0 || !(change->uChanged & LVIF_STATE)) return;
    if (!ListView_GetCheckState(change->hdr.hwndFrom, 0))
        ListView_SetCheckState(change->hdr.hwndFrom, 0, TRUE);
}

LRESULT CSettingsDlg::DrawColumnRow(NMLVCUSTOMDRAW* draw) {
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT && draw->nmcd.dwItemSpec == 0)
        draw->clrText = RGB(160, 160, 160);
    return CDRF_DODEFAULT;
}

bool CSettingsDlg::HandleColumns(UINT msg, LPARAM lp, LRESULT* result) {
    if (msg != WM_NOTIFY) return false;
    auto* header = reinterpret_cast<NMHDR*>(lp);
    if (header->idFrom != IDC_SETTINGS_LIST) return false;
    if (header->code == LVN_ITEMCHANGED) {
        KeepNameColumn(reinterpret_cast<NMLISTVIEW*>(lp));
        return true;
    }
    if (header->code != NM_CUSTOMDRAW) return false;
    *result = DrawColumnRow(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
    return true;
}

// ---- Actions

bool CSettingsDlg::ReadLogSettings(SettingsStore& store) {
    if (!store.OpenLogFile()) return false;
    actions_.logPath = store.ReadLogFilePath();
    actions_.logging = !actions_.logPath.empty();
    actions_.autoDelete = actions_.logging && store.Read(settings::kAutoDelete) != 0;
    actions_.showChanges = store.Read(settings::kShowServiceChanges) != 0;
    actions_.beep = store.Read(settings::kMessageBeep) != 0;
    ShowActionsPage();
    return true;
}

void CSettingsDlg::ReadActionsPage() {
    HWND page = actionsPage_.GetSafeHwnd();
    actions_.showChanges = Checked(page, IDC_SETTINGS_SHOW_CHANGES);
    actions_.beep = Checked(page, IDC_SETTINGS_BEEP);
    actions_.logging = Checked(page, IDC_SETTINGS_LOGGING);
    actions_.logPath = TextOf(page, IDC_SETTINGS_LOG_PATH);
    actions_.autoDelete = Checked(page, IDC_SETTINGS_AUTO_DELETE);
}

void CSettingsDlg::ShowActionsPage() {
    HWND page = actionsPage_.GetSafeHwnd();
    Check(page, IDC_SETTINGS_SHOW_CHANGES, actions_.showChanges);
    Check(page, IDC_SETTINGS_BEEP, actions_.beep);
    Check(page, IDC_SETTINGS_LOGGING, actions_.logging);
    ::SetDlgItemTextA(page, IDC_SETTINGS_LOG_PATH, actions_.logPath.c_str());
    Check(page, IDC_SETTINGS_AUTO_DELETE, actions_.autoDelete);
    for (int id : {IDC_SETTINGS_SHOW_CHANGES, IDC_SETTINGS_BEEP, IDC_SETTINGS_LOGGING})
        Enable(page, id, !actions_.comparisonOff);
    ::ShowWindow(::GetDlgItem(page, IDC_SETTINGS_COMPARISON_OFF),
                 actions_.comparisonOff ? SW_SHOW : SW_HIDE);
    for (int id : {IDC_SETTINGS_LOG_PATH, IDC_SETTINGS_AUTO_DELETE})
        Enable(page, id, actions_.logging);
    if (logBar_.Hwnd())
        ::SendMessageA(logBar_.Hwnd(), TB_ENABLEBUTTON, ID_LOG_CHOOSE, actions_.logging);
}

void CSettingsDlg::ApplyComparisonRule() {
    if (!actionsPage_.GetSafeHwnd()) return;
    ReadActionsPage();
    actions_.SetComparison(PeriodIndex() > 0);
    ShowActionsPage();
}

void CSettingsDlg::ChooseLogFile() {
    std::string path = TextOf(actionsPage_.GetSafeHwnd(), IDC_SETTINGS_LOG_PATH);
    if (path.empty()) path = LoadText(IDS_LOG_DEFAULT_NAME);
    if (ChooseFile(m_hWnd, LoadText(IDS_LOG_FILTER), path, "log", true, &path))
        ::SetDlgItemTextA(actionsPage_.GetSafeHwnd(), IDC_SETTINGS_LOG_PATH, path.c_str());
}

bool CSettingsDlg::HandleActions(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_CTLCOLORSTATIC &&
        ::GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_SETTINGS_COMPARISON_OFF) {
        auto dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, RGB(255, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        *result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    if (msg == WM_NOTIFY && AnswerTooltip(reinterpret_cast<NMHDR*>(lp))) return true;
    if (msg != WM_COMMAND) return false;
    if (LOWORD(wp) == ID_LOG_CHOOSE) {
        ChooseLogFile();
        return true;
    }
    if (LOWORD(wp) != IDC_SETTINGS_LOGGING || HIWORD(wp) != BN_CLICKED) return false;
    ReadActionsPage();
    actions_.ApplyLogging();
    ShowActionsPage();
    return true;
}

// ---- Custom actions

void CSettingsDlg::LoadCustomActions() {
    HWND combo = ::GetDlgItem(custom_.GetSafeHwnd(), IDC_SETTINGS_SERVICE);
    ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    shownService_.clear();
    copy_.Load(context_.platform.registry);
    for (const CustomActionsCopy::Record& record : copy_.Records())
        ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.name.c_str()));
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ShowChosenService();
}

// The boxes go back into the record shown until now before another shows.
void CSettingsDlg::ShowChosenService() {
    if (CustomActionsCopy::Record* shown =
            shownService_.empty() ? nullptr : copy_.Find(shownService_))
        shown->actions = customActions_.Chosen();
    HWND page = custom_.GetSafeHwnd();
    std::string name = ComboText(::GetDlgItem(page, IDC_SETTINGS_SERVICE));
    CustomActionsCopy::Record* record = name.empty() ? nullptr : copy_.Find(name);
    shownService_ = record ? record->name : std::string();
    // The log's box goes with the others: logging may be switched on in this
    // very dialog, so whether a log is open now does not matter here.
    customActions_.Show(record ? record->actions : CustomActions(), true);
    HWND boxes = customActions_.GetSafeHwnd();
    for (int id : {IDC_ACTIONS_ALWAYS_RUNNING, IDC_ACTIONS_ALWAYS_STOPPED,
                   IDC_ACTIONS_DISABLE_NOTIFY, IDC_ACTIONS_DISABLE_LOG})
        Enable(boxes, id, record != nullptr);
    ::SendMessageA(actionsBar_.Hwnd(), TB_ENABLEBUTTON, ID_ACTIONS_DELETE, record != nullptr);
}

void CSettingsDlg::AddService() {
    CAddServiceDlg dialog(document_, m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    const std::string name = copy_.Add(dialog.name).name;
    HWND combo = ::GetDlgItem(custom_.GetSafeHwnd(), IDC_SETTINGS_SERVICE);
    LRESULT at = ::SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(name.c_str()));
    if (at == CB_ERR)
        at = ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    ShowChosenService();
}

void CSettingsDlg::DeleteActions() {
    HWND combo = ::GetDlgItem(custom_.GetSafeHwnd(), IDC_SETTINGS_SERVICE);
    int selected = static_cast<int>(::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    CustomActionsCopy::Record* record = shownService_.empty() ? nullptr : copy_.Find(shownService_);
    if (!record || selected < 0) return;
    record->actions = CustomActions();
    ::SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    shownService_.clear();
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    ShowChosenService();
}

bool CSettingsDlg::HandleCustom(UINT msg, WPARAM wp) {
    if (msg != WM_COMMAND) return false;
    switch (LOWORD(wp)) {
        case IDC_SETTINGS_SERVICE:
            if (HIWORD(wp) != CBN_SELCHANGE) return false;
            ShowChosenService();
            return true;
        case ID_ACTIONS_ADD:
            AddService();
            return true;
        case ID_ACTIONS_DELETE:
            DeleteActions();
            return true;
        default:
            return false;
    }
}

// ---- Language

void CSettingsDlg::FillLanguages() {
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    SettingsStore store(p.registry);
    HWND list = ::GetDlgItem(language_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    if (languageRows_.empty() && modules_.empty()) {
        OneColumn(list);
        ::SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL,
                       reinterpret_cast<LPARAM>(images_.get()));
        chosenLanguage_ = store.ReadChosenLanguage();
    }
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    modules_.clear();
    languageRows_.clear();
    for (const std::string& path : store.ListLanguageModules())
        if (!path.empty()) modules_.push_back(path);
    int icon = chosenLanguage_.empty() ? kLanguageChosen : kLanguageValid;
    InsertRow(list, 0, languages.DefaultLanguageName(), icon);
    languageRows_.push_back({-1, icon});
    pendingLanguageErrors_.clear();
    for (size_t i = 0; i < modules_.size(); ++i) {
        const std::string& path = modules_[i];
        std::string text;
        if (languages.Validate(path)) {
            text = languages.LanguageNameOf(path);
            icon = path == chosenLanguage_ ? kLanguageChosen : kLanguageValid;
        } else {
            text = LanguageModule::FileNameOf(path);
            icon = kLanguageInvalid;
            pendingLanguageErrors_ += text + ": " + languages.GetErrorText();
            if (pendingLanguageErrors_.empty() || pendingLanguageErrors_.back() != '\n')
                pendingLanguageErrors_ += '\n';
        }
        InsertRow(list, static_cast<int>(languageRows_.size()), text, icon);
        languageRows_.push_back({static_cast<int>(i), icon});
    }
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    UpdateLanguageCommands();
}

void CSettingsDlg::UpdateLanguageCommands() {
    HWND list = ::GetDlgItem(language_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    int row = listctrl::SelectedRow(list);
    bool valid = row >= 0 && languageRows_[static_cast<size_t>(row)].icon == kLanguageValid;
    HWND bar = languageBar_.Hwnd();
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_SELECT, valid);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_NONE, FALSE);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_INSTALL, TRUE);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_UNINSTALL, row > 0);
}

// Nothing is stored until OK: the marks and the bold row move.
void CSettingsDlg::SelectLanguage() {
    HWND list = ::GetDlgItem(language_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    int row = listctrl::SelectedRow(list);
    if (row < 0 || languageRows_[static_cast<size_t>(row)].icon != kLanguageValid) return;
    int module = languageRows_[static_cast<size_t>(row)].module;
    if (module >= 0 && !StillValid(row)) return;
    chosenLanguage_ = module < 0 ? std::string() : modules_[static_cast<size_t>(module)];
    for (size_t i = 0; i < languageRows_.size(); ++i) {
        LanguageRow& entry = languageRows_[i];
        if (entry.icon == kLanguageChosen) entry.icon = kLanguageValid;
        if (static_cast<int>(i) == row) entry.icon = kLanguageChosen;
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.iImage = entry.icon;
        ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::InvalidateRect(list, nullptr, TRUE);
    UpdateLanguageCommands();
}

// A module may have gone or changed since the list was filled: it is
// checked again when chosen, and one no longer valid is said and marked so.
bool CSettingsDlg::StillValid(int row) {
    LanguageRow& entry = languageRows_[static_cast<size_t>(row)];
    const std::string& path = modules_[static_cast<size_t>(entry.module)];
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (languages.Validate(path)) return true;
    entry.icon = kLanguageInvalid;
    HWND list = ::GetDlgItem(language_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = entry.icon;
    ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    UpdateLanguageCommands();
    ShowMessage(m_hWnd, LanguageModule::FileNameOf(path) + ": " + languages.GetErrorText(),
                MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CSettingsDlg::InstallLanguage() {
    std::string path;
    if (!ChooseFile(m_hWnd, LoadText(IDS_LANGUAGE_FILTER), std::string(), nullptr, false, &path))
        return;
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (languages.Install(path)) return FillLanguages();
    ShowMessage(m_hWnd,
                LoadText(IDS_LANGUAGE_INSTALL_FAILED) + " " + LanguageModule::FileNameOf(path) +
                    "\n" + languages.GetErrorText(),
                MB_OK | MB_ICONSTOP);
}

void CSettingsDlg::UninstallLanguage() {
    HWND list = ::GetDlgItem(language_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    int row = listctrl::SelectedRow(list);
    if (row <= 0) return;
    const std::string path =
        modules_[static_cast<size_t>(languageRows_[static_cast<size_t>(row)].module)];
    const std::string text = listctrl::CellText(list, row, 0);
    if (ShowMessage(m_hWnd, FormatText(LoadText(IDS_LANGUAGE_UNINSTALL_QUESTION), text.c_str()),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (!languages.Uninstall(path)) {
        ShowMessage(
            m_hWnd,
            LoadText(IDS_LANGUAGE_UNINSTALL_FAILED) + " " + text + "\n" + languages.GetErrorText(),
            MB_OK | MB_ICONSTOP);
        return;
    }
    bool wasChosen = path == chosenLanguage_;
    if (wasChosen) chosenLanguage_.clear();
    FillLanguages();
    if (wasChosen) ApplyLanguage();
}

// True when the choice changed what the next start loads (and it was said).
bool CSettingsDlg::ApplyLanguage() {
    SettingsStore store(context_.platform.registry);
    if (!store.OpenLanguage() || chosenLanguage_ == store.ReadChosenLanguage() ||
        !store.WriteChosenLanguage(chosenLanguage_))
        return false;
    ShowMessage(m_hWnd, LoadText(IDS_LANGUAGE_RESTART), MB_OK | MB_ICONINFORMATION);
    return true;
}

LRESULT CSettingsDlg::DrawLanguageRow(NMLVCUSTOMDRAW* draw) {
    fonts_.Prepare(draw->nmcd.hdc);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t row = draw->nmcd.dwItemSpec;
    bool chosen = row < languageRows_.size() && languageRows_[row].icon == kLanguageChosen;
    HFONT font = chosen ? fonts_.Bold() : fonts_.Normal();
    if (font) ::SelectObject(draw->nmcd.hdc, font);
    return CDRF_NEWFONT;
}

bool CSettingsDlg::HandleLanguage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (AnswerTooltip(header)) return true;
        if (header->idFrom != IDC_SETTINGS_LIST) return false;
        switch (header->code) {
            case LVN_ITEMCHANGED:
                UpdateLanguageCommands();
                return true;
            case NM_DBLCLK:
                SelectLanguage();
                return true;
            case NM_CUSTOMDRAW:
                *result = DrawLanguageRow(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
                return true;
            default:
                return false;
        }
    }
    if (msg != WM_COMMAND) return false;
    switch (LOWORD(wp)) {
        case ID_LANGUAGE_SELECT:
            SelectLanguage();
            return true;
        case ID_LANGUAGE_INSTALL:
            InstallLanguage();
            return true;
        case ID_LANGUAGE_UNINSTALL:
            UninstallLanguage();
            return true;
        default:
            return false;
    }
}

// ---- OK

void CSettingsDlg::OnOK() {
    if (WriteAll()) EndDialog(IDOK);
}

// In order; what was written before a step that fails stays written, and a
// second OK writes everything again.
bool CSettingsDlg::WriteAll() {
    ApplyComparisonRule();
    HWND general = general_.GetSafeHwnd(), comparison = comparison_.GetSafeHwnd();
    SettingsStore store(context_.platform.registry);
    const std::string registryError = LoadText(IDS_REGISTRY_ERROR);
    if (!store.OpenConfiguration()) {
        ShowMessage(m_hWnd, registryError, MB_OK | MB_ICONSTOP);
        return false;
    }
    // Every value is written even after one is refused; a refusal is said once.
    bool written = true;
    auto write = [&](const settings::DwordValue& value, int data) {
        written = store.Write(value, data) && written;
    };
    write(settings::kShowTrayIcon, Checked(general, IDC_SETTINGS_TRAY_ICON));
    write(settings::kHideOnMinimize, Checked(general, IDC_SETTINGS_HIDE_ON_MINIMIZE));
    write(settings::kRunMinimized, Checked(general, IDC_SETTINGS_RUN_MINIMIZED));
    written =
        store.SetStartAtLogon(Checked(general, IDC_SETTINGS_START_AT_LOGON), context_.launchPath) &&
        written;
    write(settings::kRememberPlacement, Checked(general, IDC_SETTINGS_REMEMBER_PLACEMENT));
    write(settings::kIndependentWindow, Checked(general, IDC_SETTINGS_INDEPENDENT));
    write(settings::kCompareType, Checked(comparison, IDC_SETTINGS_COMPARE_STATE));
    write(settings::kShowServiceChanges, actions_.showChanges);
    write(settings::kMessageBeep, actions_.beep);
    write(settings::kCompareTimer, static_cast<int>(PeriodAt(PeriodIndex())));
    HWND list = ::GetDlgItem(columns_.GetSafeHwnd(), IDC_SETTINGS_LIST);
    for (int column = 0; column < settings::kColumnCount; ++column)
        written =
            store.SetColumnVisible(column, column == 0 || ListView_GetCheckState(list, column)) &&
            written;
    if (!written) {
        ShowMessage(m_hWnd, registryError, MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!store.OpenLogFile() || !store.WriteLogFilePath(actions_.logPath) ||
        !store.Write(settings::kAutoDelete, actions_.autoDelete)) {
        ShowMessage(m_hWnd, registryError, MB_OK | MB_ICONSTOP);
        return false;
    }
    ShowChosenService();
    if (!copy_.Save(context_.platform.registry)) {
        ShowMessage(m_hWnd, LoadText(IDS_SETTINGS_ACTIONS_FAILED), MB_OK | MB_ICONSTOP);
        return false;
    }
    if (!ApplyLanguage())
        ShowMessage(m_hWnd, LoadText(IDS_SETTINGS_RESTART), MB_OK | MB_ICONINFORMATION);
    return true;
}

LRESULT CSettingsDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->idFrom == IDC_SETTINGS_TABS && header->code == TCN_SELCHANGE) {
            SelectPage(SelectedPage());
            return 0;
        }
    }
    return CDialog::WindowProc(msg, wp, lp);
}
