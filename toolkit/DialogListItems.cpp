#include "toolkit/DialogListItems.h"

#include <cstdint>
#include <cstring>

std::vector<DialogListItem> ParseDialogListItems(const void* data, size_t size) {
    std::vector<DialogListItem> items;
    const auto* at = static_cast<const unsigned char*>(data);
    const unsigned char* end = at + (data ? size : 0);
    auto word = [](const unsigned char* p) { return p[0] | (p[1] << 8); };
    while (end - at >= 2 && word(at) != 0) {
        if (end - at < 8) break;
        int control = word(at);
        uint32_t length =
            static_cast<uint32_t>(word(at + 4)) | (static_cast<uint32_t>(word(at + 6)) << 16);
        at += 8;
        if (length > static_cast<size_t>(end - at)) break;
        const char* text = reinterpret_cast<const char*>(at);
        items.push_back({control, std::string(text, strnlen(text, length))});
        at += length;
    }
    return items;
}

unsigned ItemTextId(const std::string& item) {
    if (item.empty() || item.size() > 9) return 0;
    unsigned id = 0;
    for (char c : item) {
        if (c < '0' || c > '9') return 0;
        id = id * 10 + static_cast<unsigned>(c - '0');
    }
    return id;
}
