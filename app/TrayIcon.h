#pragma once
// The program's icon in the notification area: one record adds, changes
// and removes it. The record keeps its first, 88-byte layout, which every
// shell understands.
#include <windows.h>
#include <shellapi.h>

#include <string>

class TrayIcon {
public:
    // The icon of `window`, which hears its mouse as `message`.
    void Prepare(HWND window, UINT message, HICON icon, const std::string& tip) {
        data_.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data_.hWnd = window;
        data_.uID = 1;
        data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data_.uCallbackMessage = message;
        data_.hIcon = icon;
        lstrcpynA(data_.szTip, tip.c_str(), sizeof data_.szTip);
    }
    bool Shown() const { return shown_; }
    HICON Image() const { return data_.hIcon; }
    bool Show() {
        if (!shown_) shown_ = ::Shell_NotifyIconA(NIM_ADD, &data_) != FALSE;
        return shown_;
    }
    void Hide() {
        if (shown_) ::Shell_NotifyIconA(NIM_DELETE, &data_);
        shown_ = false;
    }
    void SetImage(HICON icon) {
        data_.hIcon = icon;
        if (shown_) ::Shell_NotifyIconA(NIM_MODIFY, &data_);
    }
    // Brings the icon back after the shell restarted.
    void Renew() {
        if (shown_ && !::Shell_NotifyIconA(NIM_MODIFY, &data_))
            ::Shell_NotifyIconA(NIM_ADD, &data_);
    }

private:
    NOTIFYICONDATAA data_{};
    bool shown_ = false;
};
