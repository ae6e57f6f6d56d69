#include "views/ListExport.h"

#include <climits>

#include "document/FileSave.h"
#include "platform/CodePageApi.h"
#include "platform/FileApi.h"

namespace {

void AppendField(std::string* out, const std::string& field, TableFormat format) {
    if (format == TableFormat::kTabs) {
        for (char c : field) *out += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        return;
    }
    *out += '"';
    for (char c : field) {
        if (c == '"') *out += '"';
        *out += c;
    }
    *out += '"';
}

void AppendLine(std::string* out, const std::vector<std::string>& fields, TableFormat format) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) *out += format == TableFormat::kCsv ? ',' : '\t';
        AppendField(out, fields[i], format);
    }
    *out += "\r\n";
}

// The extension after the last dot of the file's name, lower-cased in ASCII.
std::string Extension(const std::string& path) {
    size_t name = path.find_last_of("\\/:");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

}  // namespace

std::string TableText(const std::vector<std::string>& titles, const TableRows& rows,
                      TableFormat format) {
    std::string out;
    AppendLine(&out, titles, format);
    for (const auto& row : rows) AppendLine(&out, row, format);
    return out;
}

bool Utf8WithMark(platform::CodePageApi& codePage, const std::string& text, std::string* out,
                  uint32_t* error) {
    namespace cp = platform::codepage;
    *out = "\xEF\xBB\xBF";
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 4) {
        *error = 8;  // not enough memory: no conversion takes that much
        return false;
    }
    int length = static_cast<int>(text.size());
    int units = codePage.MultiByteToWideChar(cp::kAnsi, 0, text.data(), length, nullptr, 0);
    std::u16string wide(static_cast<size_t>(units > 0 ? units : 0), u'\0');
    if (units <= 0 ||
        codePage.MultiByteToWideChar(cp::kAnsi, 0, text.data(), length, &wide[0], units) != units) {
        *error = codePage.GetLastError();
        return false;
    }
    int bytes = codePage.WideCharToMultiByte(cp::kUtf8, 0, wide.data(), units, nullptr, 0);
    if (bytes <= 0) {
        *error = codePage.GetLastError();
        return false;
    }
    out->resize(3 + static_cast<size_t>(bytes));
    if (codePage.WideCharToMultiByte(cp::kUtf8, 0, wide.data(), units, &(*out)[3], bytes) !=
        bytes) {
        *error = codePage.GetLastError();
        return false;
    }
    return true;
}

TableFormat ExportFormat(const std::string& path, int filterIndex) {
    std::string extension = Extension(path);
    if (extension == "csv") return TableFormat::kCsv;
    if (extension == "txt" || extension == "tsv") return TableFormat::kTabs;
    return filterIndex == 2 ? TableFormat::kTabs : TableFormat::kCsv;
}

bool SaveTable(platform::FileSystem& files, platform::CodePageApi& codePage,
               const std::string& path, const std::vector<std::string>& titles,
               const TableRows& rows, TableFormat format, std::string* reason) {
    std::string bytes;
    uint32_t error = 0;
    if (!Utf8WithMark(codePage, TableText(titles, rows, format), &bytes, &error)) {
        *reason = files.FormatMessageA(error);
        return false;
    }
    return SaveWholeFile(
        files, path,
        [&](platform::File& file) {
            // Within a write's size: a file of gigabytes is written in parts.
            const size_t part = 1u << 30;
            for (size_t at = 0; at < bytes.size(); at += part) {
                size_t size = bytes.size() - at < part ? bytes.size() - at : part;
                if (!file.Write(bytes.data() + at, static_cast<uint32_t>(size))) return false;
            }
            return true;
        },
        reason);
}
