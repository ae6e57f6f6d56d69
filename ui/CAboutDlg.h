#pragma once
// The about box: the version of the texts in use and the maker's links,
// which light up under the mouse.
#include <windows.h>

#include <string>

#include "framework/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override;

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
    bool OnNotify(NMHDR* header);

    std::string versionText_;
    std::string appeal_;
    HBITMAP team_ = nullptr;
    HBITMAP teamLit_ = nullptr;
    HBITMAP donation_ = nullptr;
    HBITMAP donationLit_ = nullptr;
    HBITMAP logo_ = nullptr;
    HBRUSH background_ = nullptr;
    HFONT normalFont_ = nullptr;
    HFONT underlinedFont_ = nullptr;
    HCURSOR cursor_ = nullptr;  // the hand while over a link
    HCURSOR hand_ = nullptr;
    HICON icon_ = nullptr;
};
