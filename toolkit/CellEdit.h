#pragma once
// An edit box over one cell of a report list. Enter or leaving it keeps the
// text, Escape drops it. When it ends by itself its owner is told with a
// posted message carrying the edit's serial, so that the box is gone before
// the result is used and a late message of an earlier edit can be told
// apart. An owner about to change its rows closes the edit first and takes
// its result at once.
#include <windows.h>

#include <string>

#include "framework/Wnd.h"

struct CellEditResult {
    int row = -1;
    int column = 0;
    bool keep = false;
    std::string text;
};

class CCellEdit : public CWnd {
public:
    // Ends any open edit (its result waits to be taken), then opens a new
    // one with a new serial.
    bool Open(HWND list, int row, int column, const std::string& text, HWND owner,
              UINT doneMessage);
    bool IsOpen() const { return m_hWnd != nullptr; }
    unsigned Serial() const { return serial_; }
    // Ends the open edit now, keeping or dropping its text.
    void Close(bool keep);
    // The result of the edit that ended, once.
    bool TakeResult(CellEditResult* result);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Finish(bool keep, bool notify);

    HWND owner_ = nullptr;
    UINT doneMessage_ = 0;
    unsigned serial_ = 0;
    CellEditResult open_;
    CellEditResult ended_;
    bool hasResult_ = false;
    bool finishing_ = false;
};
