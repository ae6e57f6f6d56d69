#include "ui/CChangedServicesDlg.h"

#include <memory>

#include "document/ChangeList.h"
#include "document/RestoreJob.h"
#include "framework/Dpi.h"
#include "framework/Placement.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "scm/ServiceEntry.h"
#include "settings/SettingsStore.h"
#include "toolkit/ButtonBar.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/CHistoryDlg.h"
#include "ui/ServiceViewSupport.h"

namespace {

const int kRowImage = 14;
const int kAlertImage = 20;
const int kColumns = 6;
const int kOldStateColumn = 3;
const int kNewStateColumn = 4;
// The row's picture and the name's bold letters.
const int kFirstColumnRoom = 40;  // at 100 %
// Ends a burst of rows: the list draws again.
const UINT kRedrawRows = WM_APP + 30;

COLORREF StateTextColour(uint32_t state) {
    if (state == platform::scm::kRunning) return RGB(0, 128, 0);
    if (state == platform::scm::kStopped) return RGB(255, 0, 0);
    return RGB(128, 128, 0);
}

RECT ChildRect(HWND parent, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

CChangedServicesDlg::CChangedServicesDlg(AppContext& context, std::function<void()> onClose)
    : CDialog(context.resources, IDD_CHANGED_SERVICES),
      context_(context),
      onClose_(std::move(onClose)) {}

CChangedServicesDlg::~CChangedServicesDlg() {
    if (m_hWnd && !IsModal()) ::DestroyWindow(m_hWnd);
}

bool CChangedServicesDlg::ShowChangesWindow(HWND parent, bool bringToFront) {
    if (!m_hWnd) {
        restoreMode_ = false;
        if (!Create(parent)) return false;
        // Centred over its owner, or on the screen when it stands alone or
        // its owner is minimised (off the screen) or hidden in the
        // notification area.
        RECT area{}, window{};
        if (parent && ::IsWindowVisible(parent) && !::IsIconic(parent))
            ::GetWindowRect(parent, &area);
        else
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        ::GetWindowRect(m_hWnd, &window);
        int width = window.right - window.left, height = window.bottom - window.top;
        ::MoveWindow(m_hWnd, (area.left + area.right - width) / 2,
                     (area.top + area.bottom - height) / 2, width, height, FALSE);
    }
    if (bringToFront) BringToFront();
    return true;
}

void CChangedServicesDlg::ApplyPlacement() {
    if (placement_.length != 0) ::ApplyPlacement(m_hWnd, placement_);
}

// At the member placement, in front of every window, then back among them.
void CChangedServicesDlg::BringToFront() {
    ApplyPlacement();
    ::BringWindowToTop(m_hWnd);
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, flags);
    ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

bool CChangedServicesDlg::AddChange(const ServiceChange& change,
                                    const platform::LocalDateTime& detectedAt) {
    size_t index = pending_.Add(change, detectedAt);
    if (!m_hWnd) return false;
    ShowEntry(index);
    return true;
}

bool CChangedServicesDlg::HasPendingRows() const {
    return m_hWnd && !::IsWindowVisible(m_hWnd) &&
           ::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0) > 0;
}

void CChangedServicesDlg::Clear() {
    if (!m_hWnd) return;
    pending_.Clear();
    rowOf_.clear();
    widest_.clear();
    ::SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    UpdateButtons();
}

INT_PTR CChangedServicesDlg::RunRestore(ServicesDocument& document, HWND parent) {
    restoreMode_ = true;
    SetParentWindow(parent);
    document_ = &document;
    return DoModal();
}

bool CChangedServicesDlg::OnInitDialog() {
    list_ = ::GetDlgItem(m_hWnd, IDC_CHANGES_LIST);
    CreateButtonBar(Res(), bar_, m_hWnd, IDC_CHANGES_BUTTON_BAR, IDR_CHANGES_BAR);
    RecordLayout();
    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    smallIcon_ = Res().SetDialogIcons(m_hWnd, images_.get(), kAlertImage, true);
    ::SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    CreateColumns();
    for (size_t i = 0; i < pending_.Count(); ++i)
        if (!pending_.At(i).shown) ShowEntry(i);
    SettingsStore store(context_.platform.registry);
    // A monitor window starts centred; the placement it is given then is
    // the one it comes back to.
    if (store.Read(settings::kRememberPlacement) &&
        store.ReadPlacement(settings::kChangesWindowPlacement, &placement_)) {
        placement_.length = sizeof(WINDOWPLACEMENT);
        if (restoreMode_) ApplyPlacement();
    }
    UpdateButtons();
    initialised_ = true;
    return true;
}

void CChangedServicesDlg::CreateColumns() {
    ::SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < kColumns; ++column)
        listctrl::InsertColumn(
            list_, column, Res().LoadText(IDS_CHANGES_COLUMN_BASE + static_cast<UINT>(column)), 25);
    listctrl::AutoSizeColumns(list_, 0, true);
}

// The few texts of kinds and states, read once.
const CChangedServicesDlg::Measured& CChangedServicesDlg::CachedText(unsigned id) {
    auto found = texts_.find(id);
    if (found == texts_.end()) {
        std::string text = Res().LoadText(id);
        int width = WidthOf(text);
        found = texts_.emplace(id, Measured{std::move(text), width}).first;
    }
    return found->second;
}

// Changes of one pass share their time: it is written out once.
const CChangedServicesDlg::Measured& CChangedServicesDlg::TimeText(
    const platform::LocalDateTime& when) {
    if (!(when == timeOf_) || time_.text.empty()) {
        timeOf_ = when;
        time_.text = context_.platform.locale.FormatDateTime(when);
        time_.width = WidthOf(time_.text);
    }
    return time_;
}

int CChangedServicesDlg::WidthOf(const std::string& text) {
    if (!widths_) widths_ = std::make_unique<listctrl::TextWidths>(list_);
    return widths_->Width(text);
}

void CChangedServicesDlg::SetCell(int row, int column, const std::string& text) {
    listctrl::SetCellText(list_, row, column, text);
}

// The rows of one pass come in a burst: the list is drawn once when the
// burst is over, not once per row.
void CChangedServicesDlg::HoldRedraw() {
    if (redrawHeld_) return;
    if (!::PostMessageA(m_hWnd, kRedrawRows, 0, 0)) return;
    ::SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    redrawHeld_ = true;
}

// The row of an entry is found through the entry, never by a search of the
// rows: a window with thousands of rows takes a change as fast as a few.
void CChangedServicesDlg::ShowEntry(size_t index) {
    if (rowOf_.size() < pending_.Count()) rowOf_.resize(pending_.Count(), -1);
    HoldRedraw();
    const PendingChange& entry = pending_.At(index);
    int& row = rowOf_[index];
    if (row < 0)
        row = listctrl::InsertRow(list_,
                                  static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)),
                                  entry.name, kRowImage, static_cast<LPARAM>(index));
    const Measured& kind = CachedText(ChangeKindTextId(entry.kind));
    const Measured& oldState = CachedText(StateTextId(entry.oldState));
    const Measured& newState = CachedText(StateTextId(entry.newState));
    const Measured& time = TimeText(entry.detectedAt);
    const std::string* texts[kColumns] = {&entry.name,    &entry.displayName, &kind.text,
                                          &oldState.text, &newState.text,     &time.text};
    const int widths[kColumns] = {WidthOf(entry.name) + dpi::Scale(kFirstColumnRoom),
                                  WidthOf(entry.displayName),
                                  kind.width,
                                  oldState.width,
                                  newState.width,
                                  time.width};
    widest_.resize(kColumns, 0);
    for (int column = 0; column < kColumns; ++column) {
        if (column > 0) SetCell(row, column, *texts[column]);
        // A column is only asked for its width when a wider text than any
        // before comes: a column the user narrowed stays so for the others.
        if (widths[column] <= widest_[column]) continue;
        widest_[column] = widths[column];
        listctrl::WidenColumn(list_, column, widths[column]);
    }
    pending_.MarkShown(index);
}

// After the rows moved (a sort), each entry learns its row again.
void CChangedServicesDlg::MapRows() {
    rowOf_.assign(pending_.Count(), -1);
    int rows = static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ::SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (item.lParam >= 0 && static_cast<size_t>(item.lParam) < rowOf_.size())
            rowOf_[static_cast<size_t>(item.lParam)] = row;
    }
}

// The restore buttons act only in restore mode; the history only there where
// a log is open.
void CChangedServicesDlg::UpdateButtons() {
    HWND bar = bar_.Hwnd();
    if (!bar) return;
    bool selected = listctrl::SelectedRow(list_) >= 0;
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_TOOLS_HISTORY, !restoreMode_ && context_.logOpen);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_CHANGES_RESTORE, restoreMode_ && selected);
    ::SendMessageA(bar, TB_ENABLEBUTTON, ID_CHANGES_RESTORE_ALL, restoreMode_);
}

void CChangedServicesDlg::RecordLayout() {
    RECT window{}, client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    layout_.minimum = {window.right - window.left, window.bottom - window.top};
    RECT list = ChildRect(m_hWnd, list_);
    layout_.listRight = client.right - list.right;
    layout_.listBottom = client.bottom - list.bottom;
    RECT close = ChildRect(m_hWnd, ::GetDlgItem(m_hWnd, IDCANCEL));
    layout_.close = {client.right - close.left, client.bottom - close.top,
                     client.right - close.right, client.bottom - close.bottom};
    if (bar_.Hwnd()) {
        RECT bar = ChildRect(m_hWnd, bar_.Hwnd());
        layout_.barTop = client.bottom - bar.top;
        layout_.barBottom = client.bottom - bar.bottom;
    }
}

// The list grows with the window; the close button and the bar keep to its
// bottom (and the button to its right).
void CChangedServicesDlg::ApplyLayout() {
    if (!list_) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    RECT list = ChildRect(m_hWnd, list_);
    ::MoveWindow(list_, list.left, list.top, client.right - layout_.listRight - list.left,
                 client.bottom - layout_.listBottom - list.top, TRUE);
    const RECT& c = layout_.close;
    ::MoveWindow(::GetDlgItem(m_hWnd, IDCANCEL), client.right - c.left, client.bottom - c.top,
                 c.left - c.right, c.top - c.bottom, TRUE);
    if (bar_.Hwnd()) {
        RECT bar = ChildRect(m_hWnd, bar_.Hwnd());
        ::MoveWindow(bar_.Hwnd(), bar.left, client.bottom - layout_.barTop, bar.right - bar.left,
                     layout_.barTop - layout_.barBottom, TRUE);
    }
}

// Saved whatever RememberPlacement says; it decides only whether the
// placement is applied.
void CChangedServicesDlg::SavePlacement() {
    if (!PlacementOf(m_hWnd, &placement_)) return;
    SettingsStore store(context_.platform.registry);
    store.WritePlacement(settings::kChangesWindowPlacement, &placement_);
}

// While restoring, the window stays: Esc asks the passes to end instead.
bool CChangedServicesDlg::Restoring() const {
    if (!document_ || !document_->busy) return false;
    ::MessageBeep(MB_ICONEXCLAMATION);
    return true;
}

void CChangedServicesDlg::OnCancel() {
    if (Restoring()) return;
    if (onClose_) onClose_();
    Clear();
    EndDialog(IDCANCEL);
}

bool CChangedServicesDlg::OnCommand(UINT id) {
    if ((id == ID_CHANGES_RESTORE || id == ID_CHANGES_RESTORE_ALL || id == ID_TOOLS_HISTORY) &&
        Restoring())
        return true;
    if (restoreMode_ && id == ID_CHANGES_RESTORE) RestoreSelected();
    if (restoreMode_ && id == ID_CHANGES_RESTORE_ALL) RestoreAll();
    // The viewer runs over this window, which waits for it.
    if (!restoreMode_ && id == ID_TOOLS_HISTORY && context_.logOpen) {
        CHistoryDlg viewer(context_, showProperties_, m_hWnd);
        viewer.DoModal();
    }
    return id == ID_TOOLS_HISTORY || id == ID_CHANGES_RESTORE || id == ID_CHANGES_RESTORE_ALL;
}

const PendingChange* CChangedServicesDlg::EntryOfRow(int row) const {
    LPARAM data = 0;
    if (!listctrl::RowData(list_, row, &data)) return nullptr;
    auto index = static_cast<size_t>(data);
    return index < pending_.Count() ? &pending_.At(index) : nullptr;
}

std::vector<std::string> CChangedServicesDlg::RowNames() const {
    std::vector<std::string> names;
    int rows = static_cast<int>(::SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const PendingChange* entry = EntryOfRow(row);
        names.push_back(entry ? entry->name : std::string());
    }
    return names;
}

const PendingChange* CChangedServicesDlg::RecordOf(const std::string& name) const {
    int index = pending_.IndexOf(name);
    return index < 0 ? nullptr : &pending_.At(static_cast<size_t>(index));
}

void CChangedServicesDlg::RemoveRow(const std::string& name) {
    int index = pending_.IndexOf(name);
    if (index < 0 || static_cast<size_t>(index) >= rowOf_.size()) return;
    int row = rowOf_[static_cast<size_t>(index)];
    if (EntryOfRow(row) != &pending_.At(static_cast<size_t>(index))) return;
    HoldRedraw();
    ::SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    // The rows below move up one; nothing else moves.
    for (int& at : rowOf_)
        if (at == row)
            at = -1;
        else if (at > row)
            --at;
    UpdateButtons();
}

void CChangedServicesDlg::NoteRefusal(const std::string& name, const std::string& reason) {
    refusals_[name] = reason;
}

void CChangedServicesDlg::Say(const std::string& text, UINT icon) {
    ShowMessage(m_hWnd, text, MB_OK | icon);
}

bool CChangedServicesDlg::Ask(const std::string& text) {
    return ShowMessage(m_hWnd, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

namespace {
// "\n- name" for each, with the platform's reason when one was noted.
std::string NameLines(const std::vector<std::string>& names,
                      const std::map<std::string, std::string>& reasons = {}) {
    std::string lines;
    for (const std::string& name : names) {
        lines += "\n- " + name;
        auto reason = reasons.find(name);
        if (reason == reasons.end()) continue;
        std::string text = reason->second;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
            text.pop_back();
        if (!text.empty()) lines += ": " + text;
    }
    return lines;
}
}  // namespace

// Only the recorded states decide what is asked; the command then works on
// the service as it is now.
void CChangedServicesDlg::RestoreSelected() {
    const PendingChange* record = EntryOfRow(listctrl::SelectedRow(list_));
    if (!record) return;
    const std::string name = record->name;
    SelectedRestore decision = DecideSelected(record);
    const std::string cannot = Text(IDS_RESTORE_CANNOT);
    switch (decision.verdict) {
        case SelectedRestore::kNothing:
            return;
        case SelectedRestore::kNewOrDeleted:
            Say(FormatTexts(cannot, {name, Text(ChangeKindTextId(record->kind))}),
                MB_ICONINFORMATION);
            return;
        case SelectedRestore::kSameState:
            Say(FormatTexts(cannot, {name, Text(IDS_RESTORE_SAME_STATE)}), MB_ICONINFORMATION);
            return;
        case SelectedRestore::kAsk:
            break;
    }
    if (!Ask(FormatTexts(Text(IDS_RESTORE_QUESTION), {name, Text(StateTextId(decision.from)),
                                                      Text(StateTextId(decision.target))})))
        return;
    const std::string failed = FormatText(Text(IDS_RESTORE_ERROR), name.c_str());
    ServiceEntry* entry = document_ ? document_->currentList.FindEntry(name.c_str()) : nullptr;
    if (!entry) {
        Say(failed, MB_ICONERROR);
        return;
    }
    document_->lastErrorText.clear();
    auto restored = std::make_shared<bool>(false);
    ServiceCommands& commands = document_->commands;
    uint32_t target = decision.target;
    if (!RunWithServices(*document_,
                         [&commands, entry, target, restored] {
                             *restored = RunRestoreCommand(commands, *entry, target);
                         },
                         {answering::IgnoreEsc, {}}))
        return;
    if (*restored)
        RemoveRow(name);
    else
        Say(document_->lastErrorText.empty() ? failed : document_->lastErrorText, MB_ICONERROR);
}

// The passes run on a thread of their own while this window answers: the
// row of each service restored goes as it is done, and Esc ends the passes
// once the command under way is done.
bool CChangedServicesDlg::RestoreNames(ServicesDocument* document,
                                       std::vector<std::string>* names) {
    refusals_.clear();
    if (document == nullptr) return false;
    const RestoreRows& rows = *this;
    auto job = std::make_shared<RestoreJob>(*names, rows);
    auto showDone = [this, job] {
        for (const std::string& name : job->TakeRestored()) RemoveRow(name);
    };
    answering::Wait wait{[job] {
                             job->Stop();
                             return false;
                         },
                         showDone};
    if (!RunWithServices(
            *document, [job, document] { job->Run(document); }, wait))
        return false;
    showDone();
    refusals_ = job->Refusals();
    *names = job->Left();
    return job->AllRestored();
}

// The commands' own messages are not shown: only the summary of what is
// left after the last pass.
void CChangedServicesDlg::RestoreAll() {
    RestoreSplit split = SplitForRestore(RowNames(), *this);
    if (!split.notRestorable.empty()) {
        std::string message = Text(IDS_RESTORE_NOT_RESTORABLE) + NameLines(split.notRestorable);
        if (split.restorable.empty()) {
            Say(message, MB_ICONERROR);
            return;
        }
        if (!Ask(message + "\n\n" + Text(IDS_RESTORE_OTHERS))) return;
    }
    if (split.restorable.empty() || !Ask(Text(IDS_RESTORE_MASS_QUESTION))) return;
    std::vector<std::string> names = std::move(split.restorable);
    if (RestoreNames(document_, &names)) return;
    std::string message = Text(IDS_RESTORE_ERROR_ALL);
    if (document_) message += "\n" + Text(IDS_RESTORE_NOT_RESTORABLE) + NameLines(names, refusals_);
    Say(message, MB_ICONERROR);
}

// Names in bold; the two states in their colours.
LRESULT CChangedServicesDlg::CustomDraw(NMLVCUSTOMDRAW* draw) {
    return listctrl::DrawCells(
        draw, fonts_, [this](const NMLVCUSTOMDRAW& cell, listctrl::CellLook* look) {
            look->text = ::GetSysColor(COLOR_WINDOWTEXT);
            look->bold = cell.iSubItem == 0;
            auto index = static_cast<size_t>(cell.nmcd.lItemlParam);
            if (index < pending_.Count() &&
                (cell.iSubItem == kOldStateColumn || cell.iSubItem == kNewStateColumn)) {
                const PendingChange& entry = pending_.At(index);
                look->text = StateTextColour(cell.iSubItem == kOldStateColumn ? entry.oldState
                                                                              : entry.newState);
            }
            return true;
        });
}

void CChangedServicesDlg::ShowSelectedProperties() {
    const PendingChange* entry = EntryOfRow(listctrl::SelectedRow(list_));
    if (entry && showProperties_) showProperties_(entry->name, m_hWnd);
}

bool CChangedServicesDlg::OnListNotify(NMHDR* header, LRESULT* result) {
    switch (header->code) {
        case LVN_COLUMNCLICK:
            listctrl::SortByColumn(list_, reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            MapRows();
            return true;
        case LVN_ITEMCHANGED:
            UpdateButtons();
            return true;
        case NM_DBLCLK:
            ShowSelectedProperties();
            return true;
        case NM_CUSTOMDRAW:
            *result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
            return true;
        default:
            return false;
    }
}

LRESULT CChangedServicesDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            LRESULT result = 0;
            if (header->hwndFrom == list_ && OnListNotify(header, &result)) return result;
            if (Res().AnswerTooltip(header)) return 0;
            break;
        }
        case kRedrawRows:
            redrawHeld_ = false;
            ::SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
            ::InvalidateRect(list_, nullptr, TRUE);
            return 0;
        case WM_GETMINMAXINFO:
            if (layout_.minimum.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lp);
                info->ptMinTrackSize = {layout_.minimum.cx, layout_.minimum.cy};
                return 0;
            }
            break;
        case WM_SIZE:
            ApplyLayout();
            if (initialised_ && !sizing_) SavePlacement();
            break;
        case WM_MOVE:
            if (initialised_ && !sizing_) SavePlacement();
            break;
        case WM_ENTERSIZEMOVE:
            sizing_ = true;
            break;
        case WM_EXITSIZEMOVE:
            sizing_ = false;
            if (initialised_) SavePlacement();
            break;
        default:
            break;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
