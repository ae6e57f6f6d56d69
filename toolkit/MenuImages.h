#pragma once
// Pictures beside menu commands: each command that has a toolbar button
// shows that button's image in every menu, greyed with the command. The
// system draws the texts, checks and keys; only the pictures are drawn here.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <unordered_map>

class MenuImages {
public:
    // Every button of the toolbar lends its image to its command.
    void AddToolBar(HWND toolBar);
    // Call for each menu about to open.
    void OnInitMenuPopup(HMENU menu) const;
    // True when the message was about one of these pictures.
    bool OnMeasureItem(MEASUREITEMSTRUCT* item) const;
    bool OnDrawItem(const DRAWITEMSTRUCT* item) const;

private:
    struct Image {
        HIMAGELIST list;
        int index;
    };
    const Image* Find(UINT command) const;

    std::unordered_map<UINT, Image> images_;
};
