#pragma once
// The localised lists of the dialog resources: every tabbed dialog's pages
// fill their drop-down lists from these items. Portable: it reads bytes.
#include <cstddef>
#include <string>
#include <vector>

// The items of a dialog's lists as its resources keep them: per item, its
// control (16 bits), a message (16), the length (32) and that many bytes of
// text; a control of 0 ends them. A cut or damaged block gives the items
// before the damage.
struct DialogListItem {
    int control;
    std::string text;
};
std::vector<DialogListItem> ParseDialogListItems(const void* data, size_t size);

// An item that reads as a positive number is the id of its text; 0 for
// any other.
unsigned ItemTextId(const std::string& item);
