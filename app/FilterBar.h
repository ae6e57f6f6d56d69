#pragma once
// The filter's box in the toolbar: what is typed goes to the document, and
// the services view shown keeps what it matches; the status bar counts it.
#include <windows.h>

#include <string>

#include "toolkit/SearchBox.h"

class CDockBar;
class CVantorelDocument;
class FilteredView;
class Resources;
namespace platform {
class TextSource;
}

class FilterBar {
public:
    FilterBar(const Resources& resources, platform::TextSource& texts)
        : resources_(resources), texts_(texts) {}
    bool Create(CDockBar& dock);
    CSearchBox& Box() { return box_; }
    // The view shown: the text filters it, the box hands it the focus.
    void Show(FilteredView* view, HWND window);
    // The box's change, and Ctrl+C while it has the focus (its own text is
    // copied, not the rows); true when the command was the box's.
    bool OnCommand(WPARAM wp, CVantorelDocument* document);
    // "N de M servicios" of the view shown.
    std::string CountText(const CVantorelDocument* document) const;

private:
    const Resources& resources_;
    platform::TextSource& texts_;
    CSearchBox box_;
    FilteredView* view_ = nullptr;
};
