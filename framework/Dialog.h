#pragma once
// A modal dialog from a dialog template of the resource module in use (the
// program's own when the module lacks it), bound to its object from
// WM_INITDIALOG on, with the exchange of member values and control states.
#include <windows.h>

#include <string>

#include "framework/Wnd.h"

// One exchange between a dialog's members and its controls: towards the
// controls, or (saving) from them, where a value may also be refused.
class CDataExchange {
public:
    CDataExchange(HWND dialog, bool save) : dialog_(dialog), save_(save) {}
    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }
    HWND Control(int id) const { return ::GetDlgItem(dialog_, id); }

    void Text(int id, std::string& value);
    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    void Check(int id, int& value);
    // The index of the chosen button of the group that starts with `firstId`
    // (the buttons up to the next WS_GROUP), -1 for none.
    void Radio(int firstId, int& value);
    // Refuses the values: the control gets the focus and the dialog stays.
    void Fail(int id);

private:
    HWND dialog_;
    bool save_;
    bool failed_ = false;
};

class CDialog : public CWnd {
public:
    // `parent` null: the window the user works in now (the main window or
    // the dialog in front of it).
    // `parent`: the window the dialog opens over (over the dialog in front
    // of it, when there is one); none for a window of its own.
    CDialog(const Resources& resources, UINT templateId, HWND parent = nullptr)
        : CWnd(resources), templateId_(templateId), parent_(parent) {}

    ~CDialog() override;

    // IDOK, IDCANCEL or the code given to EndDialog; -1 when the dialog
    // cannot be made.
    INT_PTR DoModal();
    // A modeless dialog, hidden until shown, owned by `owner` (none: a
    // window of its own, with its own taskbar entry); false when it cannot
    // be made.
    bool Create(HWND owner);
    // Ends a modal dialog; a modeless one is hidden, to be shown again.
    void EndDialog(INT_PTR result);
    bool IsModal() const { return modal_; }
    // Gives the keyboard messages of a modeless dialog to it (Tab, Escape,
    // the keys of its controls); the message loop asks before dispatching.
    static bool PreTranslate(MSG* msg);
    // Towards the controls (false) or from them (true); false when a value
    // was refused.
    bool UpdateData(bool save);

protected:
    virtual void DoDataExchange(CDataExchange&) {}
    void SetParentWindow(HWND parent) { parent_ = parent; }
    // True lets the system give the focus to the first control.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UINT templateId_;
    HWND parent_;
    bool modal_ = false;
};

// Whether a modal dialog or message box of this thread is running: it
// disables the window it is over, shown or hidden in the notification
// area, and while one runs the user is in the middle of something.
bool ModalDialogRunning();
