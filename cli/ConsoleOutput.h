#pragma once
// The console program's standard output and error. A console gets the
// texts as UTF-16, so every character shows whatever the console's code
// page; a pipe or file gets UTF-8 for CSV (with the mark spreadsheets look
// for) and JSON, and the console's code page for tables and messages, as
// the shell that redirected it reads them.
#include <windows.h>

#include <string>

#include "console/CliRun.h"

namespace cli {

class ConsoleOutput : public Output {
public:
    explicit ConsoleOutput(CliFormat format);
    bool Out(const std::string& text) override;
    void Err(const std::string& text) override;

private:
    struct Stream {
        HANDLE handle;
        bool console;
        bool closed = false;
    };
    static Stream Open(DWORD which);
    static bool WriteBytes(Stream& stream, const std::string& bytes);
    // The text, in the program's 8-bit code page, in the stream's encoding.
    static bool Write(Stream& stream, const std::string& text, UINT codePage);

    CliFormat format_;
    Stream out_, err_;
    bool marked_ = false;  // the UTF-8 mark written
};

}  // namespace cli
