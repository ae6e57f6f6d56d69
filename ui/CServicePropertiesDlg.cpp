#include "ui/CServicePropertiesDlg.h"

#include <commctrl.h>

#include "framework/Dpi.h"
#include "framework/Resources.h"
#include "platform/MessageText.h"
#include "settings/CustomActions.h"
#include "toolkit/DialogControls.h"
#include "toolkit/ListCtrlSupport.h"
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
    if (!entry_ || !CreatePages()) {
        EndDialog(IDCANCEL);
        return false;
    }
    QueryService();
    QueryStartFlags();
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

// All three are asked, whatever the others answer.
void CServicePropertiesDlg::QueryService() {
    editable_ = requestedEditable_;
    platform::ServiceConfigRecord* config = nullptr;
    platform::ServiceDescription* description = nullptr;
    platform::ServiceFailureActions* actions = nullptr;
    ServiceList& list = document_.currentList;
    bool ok = list.QueryConfig(name_.c_str(), &config);
    config_.reset(ok ? config : nullptr);
    if (!ok) ServiceList::FreeBuffer(config);
    // The first refusal is the reason the user reads.
    readOnlyReason_ = ok ? std::string() : list.GetErrorText();
    bool described = list.QueryDescription(name_.c_str(), &description);
    description_.reset(described ? description : nullptr);
    if (!described) ServiceList::FreeBuffer(description);
    if (readOnlyReason_.empty() && !described) readOnlyReason_ = list.GetErrorText();
    bool recovered = list.QueryFailureActions(name_.c_str(), &actions);
    failureActions_.reset(recovered ? actions : nullptr);
    if (!recovered) ServiceList::FreeBuffer(actions);
    if (readOnlyReason_.empty() && !recovered) readOnlyReason_ = list.GetErrorText();
    if (!ok || !described || !recovered) editable_ = false;
}

// Neither flag is needed to edit: a platform without them (an older one,
// or Wine for the triggers) shows the plain start type.
void CServicePropertiesDlg::QueryStartFlags() {
    ServiceList& list = document_.currentList;
    platform::ServiceDelayedAutoStartInfo* delayed = nullptr;
    delayed_ = list.QueryDelayedStart(name_.c_str(), &delayed) && delayed->delayedAutostart != 0;
    ServiceList::FreeBuffer(delayed);
    platform::ServiceTriggerInfo* triggers = nullptr;
    triggers_.clear();
    if (list.QueryTriggers(name_.c_str(), &triggers)) triggers_ = StartTriggerKinds(*triggers);
    ServiceList::FreeBuffer(triggers);
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
    if (!editable_) return;
    std::string question = Res().LoadText(IDS_PROPERTIES_QUESTION);
    if (ShowMessage(m_hWnd, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (WriteBack()) EndDialog(IDOK);
}

// In order, stopping at the first write the platform refuses: what was
// written stays written, and the dialog stays open with the user's edits.
bool CServicePropertiesDlg::WriteBack() {
    UpdateData(true);
    HWND page = configPage_.GetSafeHwnd();
    // Editable only with the configuration read.
    const uint32_t type =
        ServiceTypeToWrite(config_->serviceType, Checked(page, IDC_PROPERTIES_INTERACTIVE));
    // No selection is -1, the platform's "no change".
    auto chosen = [&](int id) {
        return static_cast<uint32_t>(::SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0));
    };
    std::string description = TextOf(page, IDC_PROPERTIES_DESCRIPTION);
    StartTypeChoice start = StartTypeOfItem(chosen(IDC_PROPERTIES_START_TYPE), delayed_);
    ServiceCommands& commands = document_.commands;
    if (!commands.ChangeConfig(name_.c_str(), type, start.startType,
                               chosen(IDC_PROPERTIES_ERROR_CONTROL), nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, displayName_.c_str()) ||
        (start.writeDelayed && !commands.ChangeDelayedStart(name_.c_str(), start.delayed)) ||
        !commands.ChangeDescription(name_.c_str(), description.c_str())) {
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
