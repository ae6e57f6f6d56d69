#pragma once
// The filter typed over the services views, decided without a window:
// which services a text keeps, and what the status bar says of it.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {
class CodePageApi;
class TextSource;
}  // namespace platform

// Case folding as the user's code page folds, through the platform's own
// lower-casing. In a code page of one byte per character that is asked
// once, for every byte; in one of two bytes per character (whose trail
// bytes may look like ASCII letters) each text goes to the platform whole.
class CaseFold {
public:
    explicit CaseFold(platform::CodePageApi& codePage);
    std::string Fold(std::string_view text) const;
    // Whether folded `text` holds folded `part` beginning where one of its
    // characters begins (never at the trail byte of a two-byte character).
    bool Contains(std::string_view text, std::string_view part) const;

private:
    platform::CodePageApi& codePage_;
    bool doubleBytes_ = false;
    unsigned char lower_[256] = {};
    bool lead_[256] = {};
};

// What a filter text keeps: the services whose key name or display name
// holds it, case ignored as the code page ignores it. Every character is
// itself: "*", "?", "%" and "_" are no wildcards. An empty text keeps all.
class ServiceFilter {
public:
    explicit ServiceFilter(platform::CodePageApi& codePage) : fold_(codePage) {}
    // False when the text is the one already set.
    bool SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    bool Active() const { return !text_.empty(); }
    // A service's two names folded, to be tested by KeepsFolded as often as
    // the text changes without folding them again.
    std::string FoldNames(const char* name, const char* displayName) const;
    bool KeepsFolded(std::string_view foldedNames) const;
    bool Keeps(const char* name, const char* displayName) const {
        return !Active() || KeepsFolded(FoldNames(name, displayName));
    }
    const CaseFold& Fold() const { return fold_; }

private:
    CaseFold fold_;
    std::string text_;
    std::string folded_;
};

// The status bar's count of services: "N de M servicios" while a filter
// hides some (or could), "M servicios" without one.
std::string ServiceCountText(platform::TextSource& texts, size_t shown, size_t total,
                             bool filtering);
