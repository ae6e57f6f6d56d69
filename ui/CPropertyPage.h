#pragma once
// A page of a tabbed dialog: a child dialog laid over its host's page area,
// with its lists filled from the items its resources give them. Enter and
// Escape on a page go to the host.
#include <windows.h>

#include <functional>

#include "framework/Dialog.h"

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId), templateId_(templateId) {}

    // Made hidden over the rectangle of `area` (a control of `host`), after
    // it in the tab order; false when it cannot be made.
    bool CreateOver(HWND host, HWND area);

    // The host's handling of the page's messages: true when it answered,
    // with the answer in `*result`.
    std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result)> handle;

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void FillLists();
    void Forward(UINT command);

    UINT templateId_;
};
