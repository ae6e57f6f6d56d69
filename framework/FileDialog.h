#pragma once
// The system's dialogs for choosing a file to open or to save.
#include <windows.h>

#include <string>

// `filter` in the program's resource form, its parts separated by "|" and
// ended by "||". Opening asks for an existing file, saving for an existing
// folder and before replacing a file; `defaultExtension` may be null (the
// chosen file type's own extension comes first). `filterIndex`, when given,
// receives the file type chosen, from 1. False when the user cancels.
bool ChooseFile(HWND owner, const std::string& filter, const std::string& initial,
                const char* defaultExtension, bool save, std::string* path,
                int* filterIndex = nullptr);
