#pragma once
// Which services the document loads: the local machine or a remote one
// (with the remote machine list and its aliases), and the four open options,
// which are kept in the settings.
#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/ToolBar.h"
#include "platform/RegistryApi.h"
#include "settings/RemoteMachineList.h"

class COpenServicesDlg : public CDialog {
public:
    COpenServicesDlg(const Resources& resources, platform::RegistryApi& registry,
                     HWND parent = nullptr);

    // In: the machine loaded now ("localhost" for this one). Out, after OK:
    // the machine to open, empty for this one.
    std::string machine;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OfferMachines();
    void EnableMachine(bool remote);
    void ManageMachines();
    std::string MachineText() const;

    int machineChoice_ = -1;  // 0 local, 1 remote
    int active_ = 0;
    int inactive_ = 0;
    int win32_ = 0;
    int driver_ = 0;
    platform::RegistryApi& registry_;
    ToolBar buttonBar_;
    RemoteMachineList machines_;
};
