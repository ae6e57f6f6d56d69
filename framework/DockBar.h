#pragma once
// The strip that holds the frame's toolbar on one side of the frame. It
// draws a gripper; dragging the gripper to another side of the frame docks
// the toolbar there, laid out across or down as the side requires.
#include <windows.h>

#include "framework/Wnd.h"

class CFrameWnd;

class CDockBar : public CWnd {
public:
    enum Side { kTop, kBottom, kLeft, kRight };

    bool Create(CFrameWnd* frame);
    // Takes the toolbar as its child.
    void Hold(HWND toolBar);
    // A box with its label after the toolbar's buttons (above them down a
    // side), `boxWidth` pixels wide; the label goes first in the tab order,
    // where screen readers look for a control's name. Their notifications
    // go to the frame.
    void HoldBox(HWND label, HWND box, int boxWidth);
    Side GetSide() const { return side_; }
    void SetSide(Side side);
    bool Vertical() const { return side_ == kLeft || side_ == kRight; }
    // Cuts the strip the bar takes on `side` off `area` and returns it.
    RECT TakeStrip(Side side, RECT* area) const;

    // The side of `area` nearest to `point` (both in the same coordinates).
    static Side NearestSide(POINT point, const RECT& area);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    RECT GripperRect() const;
    void Paint();
    Side SideAt(LPARAM lp) const;
    // Outlines where the bar would go (-1: no outline).
    void ShowOutline(int side);
    void EndDrag(LPARAM lp);
    void Arrange();

    CFrameWnd* frame_ = nullptr;
    // Sizes of the toolbar's buttons, the label's text and the box.
    SIZE ButtonsSize() const;
    SIZE LabelSize() const;
    SIZE BoxSize() const;

    HWND toolBar_ = nullptr;
    HWND label_ = nullptr;
    HWND box_ = nullptr;
    int boxWidth_ = 0;
    Side side_ = kTop;
    bool dragging_ = false;
    int outline_ = -1;
};
