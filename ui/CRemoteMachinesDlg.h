#pragma once
// The remote machines dialog: the remote machine list as rows of machine
// and alias, added, renamed, aliased, deleted or found on the network, and
// stored only on OK.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/ToolBar.h"
#include "platform/RegistryApi.h"
#include "platform/win32/Handles.h"
#include "toolkit/CellEdit.h"
#include "views/RemoteMachineRows.h"

class CRemoteMachinesDlg : public CDialog {
public:
    CRemoteMachinesDlg(const Resources& resources, platform::RegistryApi& registry,
                       const std::string& initialMachine, HWND parent = nullptr);

    // After OK: the chosen row's alias, else its machine; empty without one.
    std::string result;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Load(bool opening);
    void ShowRows(int select);
    int Selected() const;
    void UpdateCommands();
    void Add();
    void Browse();
    void Delete();
    void BeginEdit(int row, int column);
    // Ends an open cell edit and applies its text now: every change of the
    // rows comes after it, so the edit lands on the row it was made on.
    void CommitEdit();
    void ApplyEdit(const CellEditResult& edit, bool byUser);
    bool OnListNotify(NMHDR* header);
    void ShowListMenu();
    void SortBy(int column);
    void AddRow(const std::string& machine);

    platform::RegistryApi& registry_;
    std::string initial_;
    RemoteMachineRows rows_;
    HWND list_ = nullptr;
    ToolBar bar_;
    ImageList images_;  // the list shares it
    CCellEdit edit_;
    bool ascending_[2] = {false, false};
};
