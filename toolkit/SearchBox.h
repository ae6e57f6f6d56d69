#pragma once
// A box to type a search into, with its label before it: its changes go to
// its parent as any edit's do (EN_CHANGE); Escape clears it (or, empty,
// hands the focus on), Enter and the down arrow hand the focus on to the
// window that shows what it finds.
#include <windows.h>

#include <string>

#include "framework/Wnd.h"

class CSearchBox : public CWnd {
public:
    // `label` names the box (also for screen readers, which take a
    // control's name from the label before it); `cue` is shown in it while
    // it is empty.
    bool Create(HWND parent, UINT id, const std::string& label, const std::string& cue);
    HWND Label() const { return label_; }
    // Where Enter, the down arrow and an Escape on an empty box send the focus.
    void SetResultWindow(HWND window) { result_ = window; }
    std::string Text() const { return WindowText(m_hWnd); }
    // The focus, with the text selected to be typed over.
    void Focus();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND label_ = nullptr;  // a child of the parent: it goes with it
    HWND result_ = nullptr;
};
