#include "console/CliText.h"

#include <algorithm>
#include <cstdio>

namespace cli {

std::string CsvField(const std::string& text) {
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

std::string CsvLine(const Record& record, bool header) {
    std::string line;
    for (size_t i = 0; i < record.size(); ++i) {
        if (i > 0) line += ',';
        line += CsvField(header ? record[i].key : record[i].text);
    }
    return line + "\r\n";
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string JsonObject(const Record& record) {
    std::string out = "{";
    for (size_t i = 0; i < record.size(); ++i) {
        if (i > 0) out += ", ";
        out += JsonString(record[i].key) + ": ";
        out += record[i].number ? record[i].text : JsonString(record[i].text);
    }
    return out + "}";
}

std::string JsonArray(const std::vector<Record>& records) {
    std::string out = "[";
    for (size_t i = 0; i < records.size(); ++i)
        out += (i > 0 ? ",\r\n " : "\r\n ") + JsonObject(records[i]);
    return out + (records.empty() ? "]\r\n" : "\r\n]\r\n");
}

std::string Table(const std::vector<std::string>& titles, const std::vector<Record>& records) {
    // A person reads the texts; the numbers are for scripts.
    std::vector<std::vector<std::string>> rows;
    for (const Record& record : records) {
        rows.emplace_back();
        for (const Field& field : record)
            if (!field.number) rows.back().push_back(field.text);
    }
    std::vector<size_t> widths;
    for (const std::string& title : titles) widths.push_back(title.size());
    for (const std::vector<std::string>& row : rows)
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    auto line = [&](const std::vector<std::string>& cells) {
        std::string out;
        for (size_t i = 0; i < cells.size(); ++i) {
            out += cells[i];
            if (i + 1 < cells.size()) out += std::string(widths[i] - cells[i].size() + 2, ' ');
        }
        return out + "\r\n";
    };
    std::string out = line(titles);
    for (std::vector<std::string>& row : rows) {
        row.resize(titles.size());
        out += line(row);
    }
    return out;
}

}  // namespace cli
