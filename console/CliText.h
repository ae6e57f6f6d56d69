#pragma once
// The forms a script reads: a table for a person, CSV as spreadsheets read
// it (every field quoted, CR LF) and JSON (fixed English keys). Texts stay
// in the program's 8-bit code page here; the writer gives them the stream's
// encoding.
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// One record: its fields in order, each with the key JSON gives it, its
// text, and whether JSON writes it as a number.
struct Field {
    const char* key;
    std::string text;
    bool number = false;
};
using Record = std::vector<Field>;

std::string CsvField(const std::string& text);
// A CSV line of the records' texts, or of their keys for the header.
std::string CsvLine(const Record& record, bool header);
// A JSON string, quoted; control characters escaped.
std::string JsonString(const std::string& text);
// One object on one line, without the line's end.
std::string JsonObject(const Record& record);
// Every record as one JSON array, an object a line.
std::string JsonArray(const std::vector<Record>& records);
// The records' texts (not their numbers) as a table under `titles`, one
// title per text field, each column as wide as its widest text.
std::string Table(const std::vector<std::string>& titles, const std::vector<Record>& records);

}  // namespace cli
