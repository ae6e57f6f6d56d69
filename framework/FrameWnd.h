#pragma once
// The frame of a single-document program: menu, toolbars, status bar and one
// view pane, and the routing of commands through view, document, frame and
// application.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/DockBar.h"
#include "framework/Document.h"
#include "framework/ToolBar.h"

class CWinApp;

class CFrameWnd : public CWnd {
public:
    // The frame routes the commands nothing else took to `app`.
    CFrameWnd(CWinApp& app, const Resources& resources) : CWnd(resources), app_(app) {}

    // Creates the frame with the menu and accelerators of `resourceId`.
    bool LoadFrame(UINT resourceId, const char* className, DWORD style, const RECT& rect);
    // A toolbar from a toolbar resource and the bitmap of the same id; null
    // when it cannot be made.
    HWND CreateToolBar(UINT resourceId, UINT barId, bool visible);
    bool CreateStatusBar(const UINT* indicators, int count);
    void RecalcLayout();
    // The client area less the status bar: where the toolbar docks.
    RECT DockArea() const;

    CView* GetActiveView() const { return activeView_; }
    void SetActiveView(CView* view) { activeView_ = view; }
    CDocument* GetActiveDocument() const {
        return activeView_ ? activeView_->GetDocument() : nullptr;
    }
    void InitialUpdateFrame(CDocument* document);
    void UpdateTitle(CDocument* document);

    bool RouteCommand(UINT id);
    bool RouteUpdate(CCmdUI& ui);
    void UpdateCommandStates();
    void SetMessageText(const std::string& text);
    // The text of an indicator pane that is no key's (a count): it keeps
    // it until set again.
    void SetIndicatorText(UINT id, const std::string& text);
    std::string IndicatorText(UINT id) const;
    HWND MainToolBar() const { return toolBar_; }
    HWND StatusBar() const { return statusBar_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(CCmdUI& ui) override;
    virtual void OnClose();
    // The frame object goes with its window.
    void PostNcDestroy() override;
    // A command from a menu, an accelerator or a bar: run only while its
    // state allows it, whatever way it came.
    bool RunCommand(UINT id);
    // At idle, after the commands' states: the panes of text of the status bar.
    virtual void UpdateIndicatorTexts() {}
    // While an operation waits on the platform, commands other than the
    // window's own (bars, about, exit) are refused: two never interleave.
    virtual bool Busy() const { return false; }
    static bool AllowedWhileBusy(UINT id);

    CWinApp& App() const { return app_; }

private:
    void UpdateMenu(HMENU menu);
    void InsertRecentFiles(HMENU menu);
    void ShowPrompt(UINT id);
    void UpdateIndicators();
    std::string PaneText(int pane) const;
    void LayoutStatusParts(int width);
    HWND DockHwnd() const { return dock_ ? dock_->GetSafeHwnd() : nullptr; }
    int PaneOf(UINT id) const;
    void RememberFocus();
    void RestoreFocus();

    CWinApp& app_;
    CView* activeView_ = nullptr;
    std::vector<std::unique_ptr<ToolBar>> bars_;
    HWND toolBar_ = nullptr;          // the visible one of bars_
    std::unique_ptr<CDockBar> dock_;  // holds the visible toolbar
    HWND statusBar_ = nullptr;
    std::vector<UINT> indicators_;
    // The control that had the focus when the frame was last left (for a
    // dialog, a menu, another program): it gets it back.
    HWND lastFocus_ = nullptr;

protected:
    CDockBar* Dock() const { return dock_.get(); }
};
