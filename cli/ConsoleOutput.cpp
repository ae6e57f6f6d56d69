#include "cli/ConsoleOutput.h"

namespace cli {

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    int length =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                          length);
    return wide;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty()) return std::string();
    int length = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &narrow[0],
                          length, nullptr, nullptr);
    return narrow;
}

// What a redirected table or message is read in: the console's output
// code page, or the system's when there is no console at all.
UINT ShellCodePage() {
    UINT codePage = ::GetConsoleOutputCP();
    return codePage != 0 ? codePage : CP_ACP;
}

}  // namespace

ConsoleOutput::ConsoleOutput(CliFormat format)
    : format_(format), out_(Open(STD_OUTPUT_HANDLE)), err_(Open(STD_ERROR_HANDLE)) {}

ConsoleOutput::Stream ConsoleOutput::Open(DWORD which) {
    HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    bool console =
        handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
    bool usable = handle != nullptr && handle != INVALID_HANDLE_VALUE;
    return Stream{handle, console, !usable};
}

bool ConsoleOutput::WriteBytes(Stream& stream, const std::string& bytes) {
    if (stream.closed) return false;
    DWORD done = 0;
    // Every call one write: a reader at the other end of a pipe has each
    // line as soon as it is written.
    bool written =
        bytes.empty() || (::WriteFile(stream.handle, bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &done, nullptr) != 0 &&
                          done == bytes.size());
    // A pipe whose reader has gone stays gone.
    if (!written) stream.closed = true;
    return written;
}

bool ConsoleOutput::Write(Stream& stream, const std::string& text, UINT codePage) {
    if (stream.closed) return false;
    std::wstring wide = Wide(text, CP_ACP);
    if (!stream.console) return WriteBytes(stream, Narrow(wide, codePage));
    DWORD done = 0;
    if (!::WriteConsoleW(stream.handle, wide.data(), static_cast<DWORD>(wide.size()), &done,
                         nullptr))
        stream.closed = true;
    return !stream.closed;
}

namespace {
// The string table's texts end their lines with a line feed alone.
std::string WithLineEnds(const std::string& text) {
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += '\r';
        lines += text[i];
    }
    return lines;
}
}  // namespace

bool ConsoleOutput::Out(const std::string& text) {
    if (format_ == CliFormat::kTable) return Write(out_, WithLineEnds(text), ShellCodePage());
    if (!marked_ && format_ == CliFormat::kCsv && !out_.console) {
        marked_ = true;
        if (!WriteBytes(out_, "\xEF\xBB\xBF")) return false;
    }
    return Write(out_, text, CP_UTF8);
}

void ConsoleOutput::Err(const std::string& text) {
    Write(err_, WithLineEnds(text), ShellCodePage());
}

}  // namespace cli
