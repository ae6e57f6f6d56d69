#pragma once
// The services list as text, decided without a window: the rows in view
// written to a file, or the selected rows put on the clipboard, with the
// titles of the shown columns first.
#include <string>
#include <vector>

namespace platform {
class CodePageApi;
class FileSystem;
}  // namespace platform

enum class TableFormat {
    kCsv,   // every field in double quotes (a quote in it doubled), commas between
    kTabs,  // the fields as they are, tabs between
};

using TableRows = std::vector<std::vector<std::string>>;

// The titles' line, then one line per row, each ended by CR LF. A tab or
// a line break inside a field of a tab-separated table becomes a space: it
// would start another field or row.
std::string TableText(const std::vector<std::string>& titles, const TableRows& rows,
                      TableFormat format);

// Text of the user's code page as UTF-8 after the byte-order mark, by
// which spreadsheets know the encoding and read the accents; false with
// the platform's error code in `error` when it cannot be converted.
bool Utf8WithMark(platform::CodePageApi& codePage, const std::string& text, std::string* out,
                  uint32_t* error);

// The format of an export: the chosen file's extension decides when it
// names one (".csv"; ".txt" or ".tsv", any case), else the file type
// chosen in the save dialog (1: CSV, 2: text separated by tabs).
TableFormat ExportFormat(const std::string& path, int filterIndex);

// Writes the table in `format` as UTF-8 to `path`, whole or not at all
// (SaveWholeFile); false with the platform's message in `reason`.
bool SaveTable(platform::FileSystem& files, platform::CodePageApi& codePage,
               const std::string& path, const std::vector<std::string>& titles,
               const TableRows& rows, TableFormat format, std::string* reason);
