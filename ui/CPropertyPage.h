#pragma once
// A page of a tabbed dialog: a child dialog laid over its host's page area,
// with its lists filled from the items its resources give them. Enter and
// Escape on a page go to the host.
#include <windows.h>

#include "framework/Dialog.h"

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId), templateId_(templateId) {}

    // Made hidden over the rectangle of `area` (a control of `host`), after
    // it in the tab order; false when it cannot be made.
    bool CreateOver(HWND host, HWND area);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void FillLists();
    void Forward(UINT command);

    UINT templateId_;
};
