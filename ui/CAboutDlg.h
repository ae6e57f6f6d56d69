#pragma once
// The about box: the version of the texts in use and the maker's links,
// which light up under the mouse.
#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "platform/win32/Handles.h"
#include "ui/AppContext.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg(AppContext& context, HWND parent);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;
    bool OnCommand(UINT id) override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    static constexpr UINT kHoverTimer = 1000;

    void MakeLogo();
    void AddTooltips();
    void OnHoverTick();
    // Shows `image` in a picture control, unless it shows it already.
    void ShowPicture(int id, HBITMAP image);
    void SetLinkFont(int id, bool underlined);
    LRESULT ControlColour(HDC dc, HWND control);
    LRESULT HighContrastColour(UINT msg, WPARAM wp, LPARAM lp);

    AppContext& context_;
    std::string versionText_;
    std::string appeal_;
    Bitmap team_;
    Bitmap teamLit_;
    Bitmap donation_;
    Bitmap donationLit_;
    Bitmap logo_;
    Brush background_;
    Font normalFont_;
    Font underlinedFont_;
    HCURSOR cursor_ = nullptr;  // the hand while over a link
    HCURSOR hand_ = nullptr;    // the platform's to keep
    Icon icon_;
};
