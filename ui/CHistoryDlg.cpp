#include "ui/CHistoryDlg.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "platform/win32/SystemTime.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "toolkit/DialogControls.h"
#include "ui/ServiceViewSupport.h"

namespace {

const int kChangeImage = 14;
const int kSessionImage = 18;
// Widths at 100 %.
const int kColumnMargin = 25;
const int kDescriptionRoom = 35;
const unsigned kTitles[HistoryRows::kColumns] = {
    IDS_CHANGES_COLUMN_TIME, IDS_CHANGES_COLUMN_DESCRIPTION, IDS_CHANGES_COLUMN_NAME,
    IDS_CHANGES_COLUMN_OLD_STATE, IDS_CHANGES_COLUMN_NEW_STATE};

}  // namespace

CHistoryDlg::CHistoryDlg(AppContext& context,
                         std::function<void(const std::string&, HWND)> showProperties, HWND parent)
    : CDialog(context.resources, IDD_HISTORY, parent),
      context_(context),
      showProperties_(std::move(showProperties)),
      reader_(context.platform.files, context.platform.locale, context.platform.texts),
      rows_(std::make_unique<HistoryRows>(reader_, context.platform.texts)) {
    // A big log takes about as long to read as the dialog's controls take to
    // make: it is read on a second thread meanwhile. Reading touches nothing
    // but this reader and the file.
    std::string path = SettingsStore(context.platform.registry).ReadLogFilePath();
    if (path.empty()) return;
    auto load = [this, path] { return reader_.Load(path); };
    try {
        loaded_ = std::async(std::launch::async, load);
    } catch (const std::system_error&) {
        loaded_ = std::async(std::launch::deferred, load);  // read when it is asked for
    }
}

bool CHistoryDlg::OnInitDialog() {
    WaitCursor wait;
    list_ = ::GetDlgItem(m_hWnd, IDC_HISTORY_LIST);
    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    smallIcon_ = Res().SetDialogIcons(m_hWnd, images_.get(), kSessionImage, true);
    countText_ = WindowText(::GetDlgItem(m_hWnd, IDC_HISTORY_COUNT));
    CreateColumns();
    logRead_ = TakeLoadResult();
    FillFilters();
    running_ = Res().LoadText(IDS_STATE_RUNNING);
    stopped_ = Res().LoadText(IDS_STATE_STOPPED);
    Refresh();
    return true;
}

// The log read to its end, or none of it: a log cut short by a read error,
// or by a failure nobody expected, shows an empty history as one that
// cannot be opened does.
bool CHistoryDlg::TakeLoadResult() {
    bool read = false;
    try {
        read = loaded_.valid() && loaded_.get();
    } catch (...) {
        read = false;
    }
    if (!read) reader_.LoadText(std::string());
    return read;
}

void CHistoryDlg::CreateColumns() {
    for (int column = 0; column < HistoryRows::kColumns; ++column)
        listctrl::InsertColumn(list_, column, Res().LoadText(kTitles[column]), kColumnMargin);
    ::SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ::SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
}

// The machines in the order the log met them, this machine first chosen;
// the services sorted under "every service"; the days the log spans, from
// its last one. A log that cannot be read leaves everything empty.
void CHistoryDlg::FillFilters() {
    if (!logRead_) return;
    HWND machines = ::GetDlgItem(m_hWnd, IDC_HISTORY_MACHINE);
    std::vector<std::string> names;
    reader_.GetMachines(&names);
    for (const std::string& name : names)
        ::SendMessageA(machines, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    LRESULT local = ::SendMessageA(machines, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>("localhost"));
    ::SendMessageA(machines, CB_SETCURSEL, local == CB_ERR ? 0 : local, 0);

    HWND services = ::GetDlgItem(m_hWnd, IDC_HISTORY_SERVICE);
    std::string all = Res().LoadText(IDS_HISTORY_ALL_SERVICES);
    ::SendMessageA(services, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(all.c_str()));
    ::SendMessageA(services, CB_SETCURSEL, 0, 0);
    // Finding every service means reading every change of the log: done
    // only for the user who turns to that list.
    dialog::FillBeforeFirstUse(services, [this, services, all] {
        std::vector<std::string> names;
        reader_.GetServices(&names);
        ::SendMessageA(services, CB_RESETCONTENT, 0, 0);
        ::SendMessageA(services, CB_INITSTORAGE, names.size() + 1, names.size() * 16);
        for (const std::string& name : names)
            ::SendMessageA(services, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        ::SendMessageA(services, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(all.c_str()));
        ::SendMessageA(services, CB_SETCURSEL, 0, 0);
    });

    platform::LocalDateTime earliest, latest;
    if (!reader_.GetDateRange(&earliest, &latest) || latest.year < earliest.year) return;
    // Whole days: a day is chosen with the time of day the picker holds.
    earliest.hour = earliest.minute = earliest.second = 0;
    latest.hour = 23, latest.minute = latest.second = 59;
    SYSTEMTIME span[2] = {platform::SystemTimeOf(earliest), platform::SystemTimeOf(latest)};
    for (int id : {IDC_HISTORY_FROM, IDC_HISTORY_TO})
        ::SendDlgItemMessageA(m_hWnd, id, DTM_SETRANGE, GDTR_MIN | GDTR_MAX,
                              reinterpret_cast<LPARAM>(span));
    ::SendDlgItemMessageA(m_hWnd, IDC_HISTORY_FROM, DTM_SETSYSTEMTIME, GDT_VALID,
                          reinterpret_cast<LPARAM>(&span[1]));
    ::SendDlgItemMessageA(m_hWnd, IDC_HISTORY_TO, DTM_SETSYSTEMTIME, GDT_NONE, 0);
}

HistoryFilter CHistoryDlg::ReadFilter() const {
    HistoryFilter filter;
    SYSTEMTIME day{};
    ::SendDlgItemMessageA(m_hWnd, IDC_HISTORY_FROM, DTM_GETSYSTEMTIME, 0,
                          reinterpret_cast<LPARAM>(&day));
    filter.from = {day.wYear, day.wMonth, day.wDay, 0, 0, 0};
    filter.to = filter.from;
    if (::SendDlgItemMessageA(m_hWnd, IDC_HISTORY_TO, DTM_GETSYSTEMTIME, 0,
                              reinterpret_cast<LPARAM>(&day)) == GDT_VALID)
        filter.to = {day.wYear, day.wMonth, day.wDay, 0, 0, 0};
    filter.machine = dialog::ComboText(::GetDlgItem(m_hWnd, IDC_HISTORY_MACHINE));
    HWND services = ::GetDlgItem(m_hWnd, IDC_HISTORY_SERVICE);
    if (::SendMessageA(services, CB_GETCURSEL, 0, 0) > 0)
        filter.service = dialog::ComboText(services);
    filter.hideSessions = ::IsDlgButtonChecked(m_hWnd, IDC_HISTORY_HIDE_SESSIONS) == BST_CHECKED;
    return filter;
}

void CHistoryDlg::Refresh() {
    ::SendMessageA(list_, LVM_SETITEMCOUNT, 0, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_HISTORY_COUNT, (countText_ + " 0").c_str());
    rows_->Select(ReadFilter());
    ::SendMessageA(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows_->Count()), 0);
    SizeColumns();
    std::string count = countText_ + " " + std::to_string(rows_->ChangeCount());
    ::SetDlgItemTextA(m_hWnd, IDC_HISTORY_COUNT, count.c_str());
}

// Each column as wide as its widest text, title included, and a margin.
void CHistoryDlg::SizeColumns() {
    listctrl::TextWidths widths(list_);
    std::array<int, HistoryRows::kColumns> widest =
        rows_->WidestTexts([&](std::string_view text) { return widths.Width(text); });
    for (int column = 0; column < HistoryRows::kColumns; ++column) {
        int title = widths.Width(Res().LoadText(kTitles[column]));
        int margin = dpi::Scale(kColumnMargin);
        int width = std::max(widest[static_cast<size_t>(column)], title) + margin;
        if (width <= margin) continue;
        if (column == 1) width += dpi::Scale(kDescriptionRoom);
        ::SendMessageA(list_, LVM_SETCOLUMNWIDTH, column, width);
    }
}

void CHistoryDlg::GiveCell(NMLVDISPINFOA* info) {
    LVITEMA& item = info->item;
    auto row = static_cast<size_t>(item.iItem);
    if (row >= rows_->Count()) return;
    if (item.mask & LVIF_TEXT) {
        rows_->CellText(row, item.iSubItem, &cell_);
        item.pszText = &cell_[0];
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = rows_->At(row).type == HistoryRowType::Change ? kChangeImage : kSessionImage;
    if (item.mask & LVIF_PARAM) item.lParam = static_cast<LPARAM>(rows_->At(row).type);
}

// Sessions and connections on their own backgrounds, the states of a
// change in their colours.
LRESULT CHistoryDlg::CustomDraw(NMLVCUSTOMDRAW* draw) {
    return listctrl::DrawCells(
        draw, fonts_, [this](const NMLVCUSTOMDRAW& cell, listctrl::CellLook* look) {
            auto row = static_cast<size_t>(cell.nmcd.dwItemSpec);
            if (row >= rows_->Count()) return false;
            HistoryRowType type = rows_->At(row).type;
            look->text = ::GetSysColor(COLOR_WINDOWTEXT);
            look->background = type == HistoryRowType::Session      ? RGB(192, 192, 255)
                               : type == HistoryRowType::Connection ? RGB(224, 224, 255)
                                                                    : ::GetSysColor(COLOR_WINDOW);
            look->bold = type == HistoryRowType::Session && cell.iSubItem == 1;
            if (type == HistoryRowType::Change && cell.iSubItem >= 3) {
                rows_->CellText(row, cell.iSubItem, &cell_);
                look->text = cell_ == running_   ? RGB(0, 128, 0)
                             : cell_ == stopped_ ? RGB(255, 0, 0)
                                                 : RGB(128, 128, 0);
            }
            return true;
        });
}

void CHistoryDlg::ShowSelectedProperties() {
    int row = listctrl::SelectedRow(list_);
    if (row < 0 || static_cast<size_t>(row) >= rows_->Count() || !showProperties_) return;
    if (rows_->At(static_cast<size_t>(row)).type != HistoryRowType::Change) return;
    std::string name;
    rows_->CellText(static_cast<size_t>(row), 2, &name);
    if (!name.empty()) showProperties_(name, m_hWnd);
}

bool CHistoryDlg::OnCommand(UINT id) {
    if (id != IDC_HISTORY_HIDE_SESSIONS) return false;
    Refresh();
    return true;
}

LRESULT CHistoryDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE &&
        (LOWORD(wp) == IDC_HISTORY_MACHINE || LOWORD(wp) == IDC_HISTORY_SERVICE)) {
        Refresh();
        return 0;
    }
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lp);
        if (header->code == DTN_DATETIMECHANGE) {
            Refresh();
            return 0;
        }
        if (header->hwndFrom == list_) {
            switch (header->code) {
                case LVN_GETDISPINFOA:
                    GiveCell(reinterpret_cast<NMLVDISPINFOA*>(lp));
                    return 0;
                case NM_CUSTOMDRAW:
                    return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lp));
                case NM_DBLCLK:
                    ShowSelectedProperties();
                    return 0;
                default:
                    break;
            }
        }
    }
    return CDialog::WindowProc(msg, wp, lp);
}
