#pragma once
#include "framework/FrameWnd.h"

class CVantorelDocument;
class CVantorelView;

// The program's window: toolbar, status bar, the services view, the refresh
// timer, and its placement remembered in the settings.
class CVantorelMainFrame : public CFrameWnd {
public:
    static constexpr UINT kRefreshTimer = 1027;
    static constexpr UINT kInitialRefreshPeriod = 2000;

    ~CVantorelMainFrame() override;
    bool Create(CVantorelDocument* document);
    CVantorelView* ListView() const { return listView_; }
    int InitialShowCommand() const { return initialShow_; }
    uint32_t RefreshPeriod() const { return refreshPeriod_; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnUpdateCommand(CCmdUI& ui) override;

private:
    RECT InitialRect();
    bool CreateBars();
    void RefreshTick();
    void SavePlacement();

    CVantorelView* listView_ = nullptr;
    HWND hiddenBar_ = nullptr;
    int initialShow_ = SW_SHOW;
    uint32_t refreshPeriod_ = kInitialRefreshPeriod;
};
