#pragma once
#include <functional>
#include <memory>
#include <string>

#include "document/ServicesDocument.h"
#include "framework/AutomationServer.h"
#include "framework/Document.h"
#include "ui/AppContext.h"

// The single document: the services of one machine. Its path name is never a
// file, so the framework always reloads on open and always asks on save.
class CFrameWnd;

class CVantorelDocument : public CDocument, public AutomationTarget {
public:
    CVantorelDocument(CWinApp& app, AppContext& context);

    void SetPathName(const char* path, bool addToRecent) override;
    bool OnNewDocument() override;
    bool OnOpenDocument(const char* path) override;
    // The last opening was given up, or refused because another was under way.
    bool OpeningCancelled() const { return cancelled_; }
    bool OnSaveDocument(const char* path) override;

    // The machine shown, enumerated again while the window answers; a
    // failure or Esc keeps the list as it was.
    bool LoadServices();
    // Runs an operation on the document's services on a thread of its own
    // while the windows answer, and refuse every other command until it is
    // done; false when the program ended meanwhile.
    bool RunBusy(std::function<void()> work);
    bool Busy() const { return core_.busy; }
    // Says, without a dialog, that a command waits for the one under way.
    void RefuseWhileBusy();
    bool RefreshReference() { return core_.RefreshReference(); }
    bool CompareWithReference() { return core_.CompareWithReference(); }
    // Shows its own message on failure.
    bool CompareWithFile(const char* path);
    int GetChangeCount() const { return core_.GetChangeCount(); }
    const ServiceChange* GetChange(int index) const { return core_.GetChange(index); }
    const std::string& GetChangeDate() const { return core_.GetChangeDate(); }
    const std::string& GetLastErrorText() const { return core_.lastErrorText; }
    ServiceList& Services() { return core_.currentList; }
    ServiceCommands& Commands() { return core_.commands; }
    ServicesDocument& Core() { return core_; }
    AppContext& Context() { return context_; }
    // The text typed to filter the services: every view shows what it
    // keeps, through rebuilds, refreshes and monitor passes.
    const std::string& FilterText() const { return filterText_; }
    void SetFilterText(const std::string& text) { filterText_ = text; }

    // The automation methods.
    void ShowWindow(short showCommand) override;
    short IsWindowVisible() override;
    void ExitApplication() override;
    void OnLastRelease() override;

private:
    // The application's frame, while it has a window.
    CFrameWnd* MainFrame() const;
    void ShowError(UINT icon);
    AppContext& context_;
    ServicesDocument core_;
    std::string filterText_;
    bool frameShown_ = false;
    bool Answered(const std::shared_ptr<MachineOpening>& opening, const std::string& machine);
    std::string opening_;  // the machine being opened, while it is
    bool cancelled_ = false;
};
