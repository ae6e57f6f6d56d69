#include "ui/CLanguagePage.h"

#include <commctrl.h>

#include "framework/FileDialog.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "settings/LanguageModule.h"
#include "settings/SettingsStore.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/ListCtrlSupport.h"

namespace {
const int kLanguageValid = 15, kLanguageChosen = 16, kLanguageInvalid = 17;
}  // namespace

CLanguagePage::CLanguagePage(AppContext& context)
    : CPropertyPage(context.resources, IDD_SETTINGS_LANGUAGE), context_(context) {}

bool CLanguagePage::CreateParts() {
    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    HWND list = List();
    listctrl::InsertColumn(list, 0, std::string(), 100);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ::SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    chosen_ = SettingsStore(context_.platform.registry).ReadChosenLanguage();
    return CreateButtonBar(Res(), bar_, m_hWnd, IDC_SETTINGS_BUTTON_BAR, IDR_LANGUAGE_BAR, true);
}

std::string CLanguagePage::TakePendingErrors() {
    std::string errors;
    errors.swap(pendingErrors_);
    return errors;
}

void CLanguagePage::Fill() {
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    SettingsStore store(p.registry);
    HWND list = List();
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    modules_.clear();
    rows_.clear();
    for (const std::string& path : store.ListLanguageModules())
        if (!path.empty()) modules_.push_back(path);
    int icon = chosen_.empty() ? kLanguageChosen : kLanguageValid;
    listctrl::InsertRow(list, 0, languages.DefaultLanguageName(), icon);
    rows_.push_back({-1, icon});
    pendingErrors_.clear();
    for (size_t i = 0; i < modules_.size(); ++i) {
        const std::string& path = modules_[i];
        std::string text;
        if (languages.Validate(path)) {
            text = languages.LanguageNameOf(path);
            icon = path == chosen_ ? kLanguageChosen : kLanguageValid;
        } else {
            text = LanguageModule::FileNameOf(path);
            icon = kLanguageInvalid;
            pendingErrors_ += text + ": " + languages.GetErrorText();
            if (pendingErrors_.empty() || pendingErrors_.back() != '\n') pendingErrors_ += '\n';
        }
        listctrl::InsertRow(list, static_cast<int>(rows_.size()), text, icon);
        rows_.push_back({static_cast<int>(i), icon});
    }
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
    UpdateCommands();
}

void CLanguagePage::UpdateCommands() {
    HWND list = List();
    int row = listctrl::SelectedRow(list);
    bool valid = row >= 0 && rows_[static_cast<size_t>(row)].icon == kLanguageValid;
    HWND bar = bar_.Hwnd();
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_SELECT, valid);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_NONE, FALSE);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_INSTALL, TRUE);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_LANGUAGE_UNINSTALL, row > 0);
}

// Nothing is stored until OK: the marks and the bold row move.
void CLanguagePage::Select() {
    HWND list = List();
    int row = listctrl::SelectedRow(list);
    if (row < 0 || rows_[static_cast<size_t>(row)].icon != kLanguageValid) return;
    int module = rows_[static_cast<size_t>(row)].module;
    if (module >= 0 && !StillValid(row)) return;
    chosen_ = module < 0 ? std::string() : modules_[static_cast<size_t>(module)];
    for (size_t i = 0; i < rows_.size(); ++i) {
        Row& entry = rows_[i];
        if (entry.icon == kLanguageChosen) entry.icon = kLanguageValid;
        if (static_cast<int>(i) == row) entry.icon = kLanguageChosen;
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = static_cast<int>(i);
        item.iImage = entry.icon;
        ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::InvalidateRect(list, nullptr, TRUE);
    UpdateCommands();
}

// A module may have gone or changed since the list was filled: it is
// checked again when chosen, and one no longer valid is said and marked so.
bool CLanguagePage::StillValid(int row) {
    Row& entry = rows_[static_cast<size_t>(row)];
    const std::string& path = modules_[static_cast<size_t>(entry.module)];
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (languages.Validate(path)) return true;
    entry.icon = kLanguageInvalid;
    HWND list = List();
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = entry.icon;
    ::SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    UpdateCommands();
    ShowMessage(Host(), LanguageModule::FileNameOf(path) + ": " + languages.GetErrorText(),
                MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CLanguagePage::Install() {
    std::string path;
    if (!ChooseFile(Host(), Res().LoadText(IDS_LANGUAGE_FILTER), std::string(), nullptr, false,
                    &path))
        return;
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (languages.Install(path)) return Fill();
    ShowMessage(Host(),
                Res().LoadText(IDS_LANGUAGE_INSTALL_FAILED) + " " +
                    LanguageModule::FileNameOf(path) + "\n" + languages.GetErrorText(),
                MB_OK | MB_ICONSTOP);
}

void CLanguagePage::Uninstall() {
    HWND list = List();
    int row = listctrl::SelectedRow(list);
    if (row <= 0) return;
    const std::string path = modules_[static_cast<size_t>(rows_[static_cast<size_t>(row)].module)];
    const std::string text = listctrl::CellText(list, row, 0);
    if (ShowMessage(Host(),
                    FormatText(Res().LoadText(IDS_LANGUAGE_UNINSTALL_QUESTION), text.c_str()),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    platform::Platform& p = context_.platform;
    LanguageModule languages(p.registry, p.modules, p.versions, p.texts);
    if (!languages.Uninstall(path)) {
        ShowMessage(Host(),
                    Res().LoadText(IDS_LANGUAGE_UNINSTALL_FAILED) + " " + text + "\n" +
                        languages.GetErrorText(),
                    MB_OK | MB_ICONSTOP);
        return;
    }
    bool wasChosen = path == chosen_;
    if (wasChosen) chosen_.clear();
    Fill();
    if (wasChosen) Apply();
}

// True when the choice changed what the next start loads (and it was said).
bool CLanguagePage::Apply() {
    SettingsStore store(context_.platform.registry);
    if (!store.OpenLanguage() || chosen_ == store.ReadChosenLanguage() ||
        !store.WriteChosenLanguage(chosen_))
        return false;
    ShowMessage(Host(), Res().LoadText(IDS_LANGUAGE_RESTART), MB_OK | MB_ICONINFORMATION);
    return true;
}

LRESULT CLanguagePage::DrawRow(NMLVCUSTOMDRAW* draw) {
    fonts_.Prepare(draw->nmcd.hdc);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    size_t row = draw->nmcd.dwItemSpec;
    bool chosen = row < rows_.size() && rows_[row].icon == kLanguageChosen;
    HFONT font = chosen ? fonts_.Bold() : fonts_.Normal();
    if (font) ::SelectObject(draw->nmcd.hdc, font);
    return CDRF_NEWFONT;
}

LRESULT CLanguagePage::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (Res().AnswerTooltip(header)) return 0;
        if (header->idFrom == IDC_SETTINGS_LIST) {
            switch (header->code) {
                case LVN_ITEMCHANGED:
                    UpdateCommands();
                    return 0;
                case NM_DBLCLK:
                    Select();
                    return 0;
                case NM_CUSTOMDRAW:
                    return DrawRow(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
                default:
                    break;
            }
        }
    }
    if (msg == WM_COMMAND) {
        switch (LOWORD(wp)) {
            case ID_LANGUAGE_SELECT:
                Select();
                return 0;
            case ID_LANGUAGE_INSTALL:
                Install();
                return 0;
            case ID_LANGUAGE_UNINSTALL:
                Uninstall();
                return 0;
            default:
                break;
        }
    }
    return CPropertyPage::WindowProc(msg, wp, lp);
}
