#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Fills a message format from the string table: every "%s" becomes `arg`,
// "%%" becomes "%", anything else stays as written. A language module's text
// is data, so it never reaches a printf-style formatter.
std::string FormatText(const std::string& format, const char* arg);

// The same with each "%s" filled by the next of `args` (empty when they run out).
std::string FormatTexts(const std::string& format, const std::vector<std::string>& args);

// The same with "%u" filled by `number`.
std::string FormatNumber(const std::string& format, uint32_t number);

// A user message: the filled format, a line break, then the reason.
std::string ComposeMessage(const std::string& format, const char* arg, const std::string& reason);
