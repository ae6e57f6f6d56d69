#pragma once
// The remote machines dialog: the remote machine list as rows of machine
// and alias, added, renamed, aliased, deleted or found on the network, and
// stored only on OK.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "views/RemoteMachineRows.h"

class CCellEdit;

class CRemoteMachinesDlg : public CDialog {
public:
    explicit CRemoteMachinesDlg(const std::string& initialMachine);
    ~CRemoteMachinesDlg() override;

    // After OK: the chosen row's alias, else its machine; empty without one.
    std::string result;

    // The in-place edit of a cell ended with `text` (null: cancelled).
    void EndEdit(const std::string* text);

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
    bool OnListNotify(NMHDR* header);
    void SortBy(int column);
    void AddRow(const std::string& machine);

    std::string initial_;
    RemoteMachineRows rows_;
    HWND list_ = nullptr;
    HWND bar_ = nullptr;
    HIMAGELIST images_ = nullptr;
    std::unique_ptr<CCellEdit> edit_;
    int editRow_ = -1;
    int editColumn_ = 0;
    bool ascending_[2] = {false, false};
};
