#include "views/ServiceFilter.h"

#include <cstring>

#include "platform/CodePageApi.h"
#include "platform/MessageText.h"
#include "platform/TextSource.h"
#include "res/resource.h"

CaseFold::CaseFold(platform::CodePageApi& codePage) : codePage_(codePage) {
    for (int c = 0; c < 256; ++c) {
        lead_[c] = codePage.IsDBCSLeadByte(static_cast<unsigned char>(c));
        doubleBytes_ = doubleBytes_ || lead_[c];
    }
    if (doubleBytes_) return;
    // Byte 0 would end the text for the platform: it is its own fold.
    char bytes[255];
    for (int c = 1; c < 256; ++c) bytes[c - 1] = static_cast<char>(c);
    if (codePage.CharLowerBuffA(bytes, sizeof bytes) != sizeof bytes) {
        for (int c = 0; c < 256; ++c) lower_[c] = static_cast<unsigned char>(c);
        return;
    }
    for (int c = 1; c < 256; ++c) lower_[c] = static_cast<unsigned char>(bytes[c - 1]);
}

std::string CaseFold::Fold(std::string_view text) const {
    std::string folded(text);
    if (doubleBytes_) {
        if (!folded.empty())
            codePage_.CharLowerBuffA(&folded[0], static_cast<uint32_t>(folded.size()));
    } else {
        for (char& c : folded) c = static_cast<char>(lower_[static_cast<unsigned char>(c)]);
    }
    return folded;
}

bool CaseFold::Contains(std::string_view text, std::string_view part) const {
    if (part.empty()) return true;
    if (!doubleBytes_) return text.find(part) != std::string_view::npos;
    for (size_t at = 0; at + part.size() <= text.size();) {
        if (text.compare(at, part.size(), part) == 0) return true;
        at += lead_[static_cast<unsigned char>(text[at])] ? 2 : 1;
    }
    return false;
}

bool ServiceFilter::SetText(const std::string& text) {
    if (text == text_) return false;
    text_ = text;
    folded_ = fold_.Fold(text);
    return true;
}

// A byte no name holds between the two: no text matches across them.
std::string ServiceFilter::FoldNames(const char* name, const char* displayName) const {
    std::string names = fold_.Fold(name ? name : "");
    names += '\0';
    names += fold_.Fold(displayName ? displayName : "");
    return names;
}

bool ServiceFilter::KeepsFolded(std::string_view foldedNames) const {
    if (!Active()) return true;
    // Without the separator both halves are the whole text.
    size_t split = foldedNames.find('\0');
    return fold_.Contains(foldedNames.substr(0, split), folded_) ||
           fold_.Contains(foldedNames.substr(split + 1), folded_);
}

std::string ServiceCountText(platform::TextSource& texts, size_t shown, size_t total,
                             bool filtering) {
    auto number = [](size_t n) { return std::to_string(n); };
    if (!filtering) return FormatTexts(texts.Text(IDS_SERVICE_COUNT), {number(total)});
    return FormatTexts(texts.Text(IDS_SERVICE_COUNT_FILTERED), {number(shown), number(total)});
}
