#include "ui/CServicePropertiesDlg.h"

#include <commctrl.h>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "settings/CustomActions.h"
#include "toolkit/DialogControls.h"
#include "toolkit/ListCtrlSupport.h"
#include "ui/ServiceViewSupport.h"
#include "views/ServiceProperties.h"

namespace {

using dialog::Check;
using dialog::Checked;
using dialog::Enable;
using dialog::TextOf;

const int kDialogIcon = 19;
const int kFirstTabImage = 7;
const int kRecoveryColumns = 3;
const uint32_t kNoSelection = 0xFFFFFFFF;

void SetText(HWND page, int id, const char* text) {
    ::SetDlgItemTextA(page, id, text ? text : "");
}

// An index beyond the list's items shows no selection.
void Choose(HWND page, int id, uint32_t index) {
    ::SendDlgItemMessageA(page, id, CB_SETCURSEL, static_cast<WPARAM>(static_cast<int>(index)), 0);
}

}  // namespace

void CServicePropertiesDlg::FreeBuffer::operator()(void* buffer) const {
    ServiceList::FreeBuffer(buffer);
}

// A query's buffer, kept only when the query answered.
template <typename T, typename Query>
CServicePropertiesDlg::Buffer<T> CServicePropertiesDlg::Asked(Query query) {
    T* buffer = nullptr;
    bool answered = query(&buffer);
    Buffer<T> kept(buffer);
    if (!answered) kept.reset();
    return kept;
}

CServicePropertiesDlg::CServicePropertiesDlg(AppContext& context, ServicesDocument& document,
                                             HWND parent)
    : CDialog(context.resources, IDD_SERVICE_PROPERTIES, parent),
      context_(context),
      document_(document),
      configPage_(context.resources, IDD_PROPERTIES_CONFIG),
      statePage_(context.resources, IDD_PROPERTIES_STATE),
      advancedPage_(context.resources, IDD_PROPERTIES_ADVANCED),
      actionsPage_(context.resources) {}

CServicePropertiesDlg::~CServicePropertiesDlg() = default;

void CServicePropertiesDlg::SetEntry(const ServiceEntry* entry, bool editable) {
    entry_ = entry;
    name_ = entry && entry->name ? entry->name : "";
    requestedEditable_ = editable;
}

bool CServicePropertiesDlg::SetEntryByName(const std::string& name, bool editable) {
    SetEntry(document_.currentList.FindEntry(name.c_str()), editable);
    return entry_ != nullptr;
}

void CServicePropertiesDlg::ShowByName(AppContext& context, ServicesDocument& document,
                                       const std::string& name, HWND owner) {
    CServicePropertiesDlg dialog(context, document, owner);
    if (!dialog.SetEntryByName(name, false)) {
        std::string format = context.resources.LoadText(IDS_PROPERTIES_NOT_FOUND);
        ShowMessage(owner, FormatText(format, name.c_str()), MB_OK | MB_ICONEXCLAMATION);
    }
    dialog.DoModal();
}

void CServicePropertiesDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_PROPERTIES_DISPLAY_NAME, displayName_);
}

bool CServicePropertiesDlg::OnInitDialog() {
    if (!entry_ || !CreatePages() || !QueryService()) {
        EndDialog(IDCANCEL);
        return false;
    }
    ShowConfiguration();
    ShowState();
    ShowTriggers();
    ShowReadOnlyReason();
    ShowDependencies();
    ShowRecovery();
    actionsPage_.Show(ReadCustomActions(context_.platform.registry, name_), context_.logOpen);
    ShowTitleAndTabs();
    pageKeys_ = std::make_unique<tabbed::PageKeys>(::GetDlgItem(m_hWnd, IDC_PROPERTIES_TABS));
    return true;
}

bool CServicePropertiesDlg::CreatePages() {
    return tabbed::CreatePages(m_hWnd, ::GetDlgItem(m_hWnd, IDC_PROPERTIES_PAGE_AREA), kPages,
                               [this](int page) -> CPropertyPage& { return PageAt(page); });
}

CPropertyPage& CServicePropertiesDlg::PageAt(int page) {
    switch (page) {
        case kConfigPage:
            return configPage_;
        case kStatePage:
            return statePage_;
        case kAdvancedPage:
            return advancedPage_;
        default:
            return actionsPage_;
    }
}

// The platform is asked on a thread of its own while the windows go on
// answering; meanwhile the dialog takes no input, so that OK twice or Esc
// halfway cannot interleave with the calls. False when the document's
// services are in use by another operation (said so) or the program ends.
bool CServicePropertiesDlg::RunOnServices(std::function<void()> work) {
    if (document_.busy) {
        HWND owner = ::IsWindowVisible(m_hWnd) ? m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
        ShowMessage(owner, Res().LoadText(IDS_BUSY_WAIT), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    working_ = true;
    HWND focus = ::GetFocus();
    bool wasEnabled = ::EnableWindow(m_hWnd, FALSE) == 0;
    bool finished = RunWithServices(document_, std::move(work), {answering::IgnoreEsc, {}});
    if (wasEnabled) ::EnableWindow(m_hWnd, TRUE);
    if (focus && ::IsWindow(focus)) ::SetFocus(focus);
    working_ = false;
    return finished;
}

// All three are asked, whatever the others answer; the first refusal is
// the reason the user reads. The start flags are not needed to edit: a
// platform without them (an older one, or Wine) shows the plain start type.
// The worker fills a record of its own: a program that ends meanwhile
// leaves it to the worker.
bool CServicePropertiesDlg::QueryService() {
    struct Queried {
        ServiceList* list;
        std::string name;
        Buffer<platform::ServiceConfigRecord> config;
        Buffer<platform::ServiceDescription> description;
        Buffer<platform::ServiceFailureActions> actions;
        std::string reason;
        bool delayed = false;
        std::vector<uint32_t> triggers;
    };
    auto queried = std::make_shared<Queried>();
    queried->list = &document_.currentList;
    queried->name = name_;
    bool finished = RunOnServices([queried] {
        ServiceList& list = *queried->list;
        const char* name = queried->name.c_str();
        auto noteRefusal = [&](bool answered) {
            if (!answered && queried->reason.empty()) queried->reason = list.GetErrorText();
        };
        queried->config = Asked<platform::ServiceConfigRecord>(
            [&](auto** buffer) { return list.QueryConfig(name, buffer); });
        noteRefusal(queried->config != nullptr);
        queried->description = Asked<platform::ServiceDescription>(
            [&](auto** buffer) { return list.QueryDescription(name, buffer); });
        noteRefusal(queried->description != nullptr);
        queried->actions = Asked<platform::ServiceFailureActions>(
            [&](auto** buffer) { return list.QueryFailureActions(name, buffer); });
        noteRefusal(queried->actions != nullptr);
        platform::ServiceDelayedAutoStartInfo* delayed = nullptr;
        queried->delayed = list.QueryDelayedStart(name, &delayed) && delayed->delayedAutostart != 0;
        ServiceList::FreeBuffer(delayed);
        platform::ServiceTriggerInfo* triggers = nullptr;
        if (list.QueryTriggers(name, &triggers)) queried->triggers = StartTriggerKinds(*triggers);
        ServiceList::FreeBuffer(triggers);
    });
    if (!finished) return false;
    config_ = std::move(queried->config);
    description_ = std::move(queried->description);
    failureActions_ = std::move(queried->actions);
    readOnlyReason_ = std::move(queried->reason);
    delayed_ = queried->delayed;
    triggers_ = std::move(queried->triggers);
    editable_ = requestedEditable_ && config_ && description_ && failureActions_;
    return true;
}

void CServicePropertiesDlg::ShowReadOnlyReason() {
    if (editable_ || !requestedEditable_ || readOnlyReason_.empty()) return;
    std::string format = Res().LoadText(IDS_PROPERTIES_READ_ONLY);
    ::SetDlgItemTextA(m_hWnd, IDC_PROPERTIES_READ_ONLY,
                      FormatText(format, readOnlyReason_.c_str()).c_str());
}

// Each start trigger by the name of its kind; the user kind of a per-user service.
void CServicePropertiesDlg::ShowTriggers() {
    HWND page = statePage_.GetSafeHwnd();
    for (uint32_t kind : triggers_) {
        unsigned id = TriggerKindTextId(kind);
        std::string text =
            id == IDS_TRIGGER_UNKNOWN ? FormatNumber(Res().LoadText(id), kind) : Res().LoadText(id);
        ::SendDlgItemMessageA(page, IDC_PROPERTIES_TRIGGERS, LB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(text.c_str()));
    }
    unsigned kind = config_ ? UserServiceKindTextId(config_->serviceType) : 0;
    SetText(page, IDC_PROPERTIES_USER_KIND, kind ? Res().LoadText(kind).c_str() : nullptr);
}

void CServicePropertiesDlg::ShowConfiguration() {
    HWND page = configPage_.GetSafeHwnd();
    const platform::ServiceConfigRecord* config = config_.get();
    for (int id :
         {IDC_PROPERTIES_START_TYPE, IDC_PROPERTIES_ERROR_CONTROL, IDC_PROPERTIES_INTERACTIVE})
        Enable(page, id, config != nullptr);
    ServiceTypeBoxes boxes = ServiceTypeBoxes::Of(config ? config->serviceType : 0);
    Check(page, IDC_PROPERTIES_OWN_PROCESS, boxes.ownProcess);
    Check(page, IDC_PROPERTIES_SHARED_PROCESS, boxes.sharedProcess);
    Check(page, IDC_PROPERTIES_KERNEL_DRIVER, boxes.kernelDriver);
    Check(page, IDC_PROPERTIES_FS_DRIVER, boxes.fileSystemDriver);
    Check(page, IDC_PROPERTIES_INTERACTIVE, boxes.interactive);
    Choose(page, IDC_PROPERTIES_START_TYPE,
           config ? StartTypeItem(config->startType, delayed_) : kNoSelection);
    Choose(page, IDC_PROPERTIES_ERROR_CONTROL, config ? config->errorControl : kNoSelection);
    SetText(page, IDC_PROPERTIES_PATH, config ? config->binaryPathName : nullptr);
    SetText(page, IDC_PROPERTIES_GROUP, config ? config->loadOrderGroup : nullptr);
    SetText(page, IDC_PROPERTIES_TAG,
            config ? TagText(config->loadOrderGroup, config->tagId).c_str() : nullptr);
    SetText(page, IDC_PROPERTIES_ACCOUNT, config ? config->serviceStartName : nullptr);
    SetText(page, IDC_PROPERTIES_DESCRIPTION, description_ ? description_->description : nullptr);
    Enable(page, IDC_PROPERTIES_DESCRIPTION, description_ != nullptr);
}

void CServicePropertiesDlg::ShowState() {
    HWND page = statePage_.GetSafeHwnd();
    Choose(page, IDC_PROPERTIES_STATE, entry_->currentState);
    Check(page, IDC_PROPERTIES_CAN_STOP, entry_->controlsAccepted & 0x1);
    Check(page, IDC_PROPERTIES_CAN_PAUSE, entry_->controlsAccepted & 0x2);
    Check(page, IDC_PROPERTIES_CAN_SHUTDOWN, entry_->controlsAccepted & 0x4);
}

void CServicePropertiesDlg::ShowDependencies() {
    HWND list = ::GetDlgItem(advancedPage_.GetSafeHwnd(), IDC_PROPERTIES_DEPENDENCIES);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    if (!config_) return;
    int row = 0;
    for (const std::string& name : DependencyNames(config_->dependencies))
        listctrl::InsertRow(list, row++, name);
}

void CServicePropertiesDlg::ShowRecovery() {
    HWND list = ::GetDlgItem(advancedPage_.GetSafeHwnd(), IDC_PROPERTIES_RECOVERY);
    while (listctrl::ColumnCount(list) < kRecoveryColumns)
        listctrl::InsertColumn(list, listctrl::ColumnCount(list), std::string(), 40);
    ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    if (!failureActions_) return;
    const platform::ServiceFailureActions& record = *failureActions_;
    for (uint32_t i = 0; i < record.actionCount; ++i) {
        const platform::ScAction& action = record.actions[i];
        int row = listctrl::InsertRow(list, static_cast<int>(i), std::to_string(i + 1));
        unsigned kind = RecoveryActionTextId(action.type);
        listctrl::SetCellText(list, row, 1, kind ? Res().LoadText(kind) : std::string());
        DelayText delay = DelayOf(action.delay);
        listctrl::SetCellText(list, row, 2,
                              FormatNumber(Res().LoadText(delay.formatId), delay.value));
    }
    listctrl::AutoSizeColumns(list, 0, false);
}

void CServicePropertiesDlg::ShowTitleAndTabs() {
    std::string titled = WindowText(m_hWnd) + " (" + name_ + ")";
    ::SetWindowTextA(m_hWnd, titled.c_str());

    Enable(m_hWnd, IDC_PROPERTIES_DISPLAY_NAME, editable_);
    Enable(m_hWnd, IDOK, editable_);
    displayName_ = entry_->displayName ? entry_->displayName : "";
    UpdateData(false);

    images_ = Res().LoadImageStrip(IDB_ICON_STRIP);
    icon_ = Res().SetDialogIcons(m_hWnd, images_.get(), kDialogIcon, false);
    tabbed::AddTabs(
        ::GetDlgItem(m_hWnd, IDC_PROPERTIES_TABS), images_.get(), kPages,
        [this](int page) { return Res().LoadText(IDS_PROPERTIES_TAB_BASE + page); },
        [](int page) { return kFirstTabImage + page; });
    SelectPage(kConfigPage);
}

int CServicePropertiesDlg::SelectedPage() const {
    return tabbed::SelectedTab(::GetDlgItem(m_hWnd, IDC_PROPERTIES_TABS));
}

void CServicePropertiesDlg::SelectPage(int page) {
    tabbed::ShowPage(::GetDlgItem(m_hWnd, IDC_PROPERTIES_TABS), page, kPages,
                     [this](int other) -> CPropertyPage& { return PageAt(other); });
}

void CServicePropertiesDlg::OnOK() {
    if (!editable_ || working_) return;
    std::string question = Res().LoadText(IDS_PROPERTIES_QUESTION);
    if (ShowMessage(m_hWnd, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (WriteBack()) EndDialog(IDOK);
}

void CServicePropertiesDlg::OnCancel() {
    if (!working_) CDialog::OnCancel();
}

// In order, stopping at the first write the platform refuses: what was
// written stays written, and the dialog stays open with the user's edits.
bool CServicePropertiesDlg::WriteBack() {
    UpdateData(true);
    HWND page = configPage_.GetSafeHwnd();
    // No selection is -1, the platform's "no change".
    auto chosen = [&](int id) {
        return static_cast<uint32_t>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
    };
    struct Writes {
        ServiceCommands* commands;
        std::string name, displayName, description;
        uint32_t type, errorControl;
        StartTypeChoice start;
        bool written = false;
    };
    // Editable only with the configuration read.
    auto writes = std::make_shared<Writes>(
        Writes{&document_.commands, name_, displayName_, TextOf(page, IDC_PROPERTIES_DESCRIPTION),
               ServiceTypeToWrite(config_->serviceType, Checked(page, IDC_PROPERTIES_INTERACTIVE)),
               chosen(IDC_PROPERTIES_ERROR_CONTROL),
               StartTypeOfItem(chosen(IDC_PROPERTIES_START_TYPE), delayed_)});
    bool finished = RunOnServices([writes] {
        ServiceCommands& commands = *writes->commands;
        const char* name = writes->name.c_str();
        const StartTypeChoice& start = writes->start;
        writes->written =
            commands.ChangeConfig(name, writes->type, start.startType, writes->errorControl,
                                  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  writes->displayName.c_str()) &&
            (!start.writeDelayed || commands.ChangeDelayedStart(name, start.delayed)) &&
            commands.ChangeDescription(name, writes->description.c_str());
    });
    if (!finished) return false;
    if (!writes->written) {
        ShowMessage(m_hWnd, document_.lastErrorText, MB_OK | MB_ICONERROR);
        return false;
    }
    // A key that cannot be written loses the actions, not the dialog's OK.
    WriteCustomActions(context_.platform.registry, name_, actionsPage_.Chosen());
    return true;
}

LRESULT CServicePropertiesDlg::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (tabbed::IsTabChange(msg, lp, IDC_PROPERTIES_TABS)) {
        SelectPage(SelectedPage());
        return 0;
    }
    return CDialog::WindowProc(msg, wp, lp);
}
