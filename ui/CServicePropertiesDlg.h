#pragma once
// The properties of one service of the document's current list on four
// pages: configuration, state, advanced (dependencies and recovery) and
// custom actions. Editable, it writes back the display name, description,
// start type, error control, interactive flag and custom actions; a query
// that fails makes it read-only.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/ServicesDocument.h"
#include "framework/Dialog.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"
#include "scm/ServiceEntry.h"
#include "toolkit/CPropertyPage.h"
#include "ui/AppContext.h"
#include "ui/CCustomActionsPage.h"

class CServicePropertiesDlg : public CDialog {
public:
    // `parent` null: the window the user works in now.
    CServicePropertiesDlg(AppContext& context, ServicesDocument& document, HWND parent = nullptr);
    ~CServicePropertiesDlg() override;

    void SetEntry(const ServiceEntry* entry, bool editable);
    // False when the current list has no such service; the dialog then
    // closes itself as soon as it runs.
    bool SetEntryByName(const std::string& name, bool editable);

    // Read-only by name, for the windows that show services no longer
    // loaded: a service that cannot be found is said so first.
    static void ShowByName(AppContext& context, ServicesDocument& document, const std::string& name,
                           HWND owner);

    enum Page { kConfigPage, kStatePage, kAdvancedPage, kActionsPage, kPages };
    int SelectedPage() const;
    void SelectPage(int page);
    bool Editable() const { return editable_; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    struct FreeBuffer {
        void operator()(void* buffer) const;
    };
    template <typename T>
    using Buffer = std::unique_ptr<T, FreeBuffer>;

    template <typename T, typename Query>
    static Buffer<T> Asked(Query query);
    bool RunOnServices(std::function<void()> work);
    bool CreatePages();
    bool QueryService();
    void ShowReadOnlyReason();
    void ShowTriggers();
    void ShowConfiguration();
    void ShowState();
    void ShowDependencies();
    void ShowRecovery();
    void ShowTitleAndTabs();
    bool WriteBack();
    CPropertyPage& PageAt(int page);

    AppContext& context_;
    ServicesDocument& document_;
    const ServiceEntry* entry_ = nullptr;
    std::string name_;
    bool requestedEditable_ = false;
    bool editable_ = false;
    bool working_ = false;  // the platform is being asked
    std::string displayName_;
    Buffer<platform::ServiceConfigRecord> config_;
    Buffer<platform::ServiceDescription> description_;
    Buffer<platform::ServiceFailureActions> failureActions_;
    bool delayed_ = false;
    std::vector<uint32_t> triggers_;  // the kinds of its start triggers
    std::string readOnlyReason_;      // why a query failed, for the user
    std::unique_ptr<tabbed::PageKeys> pageKeys_;
    CPropertyPage configPage_;
    CPropertyPage statePage_;
    CPropertyPage advancedPage_;
    CCustomActionsPage actionsPage_;
    ImageList images_;
    Icon icon_;
};
