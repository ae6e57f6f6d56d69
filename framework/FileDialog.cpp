#include "framework/FileDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

bool ChooseFile(HWND owner, const std::string& filter, const std::string& initial,
                const char* defaultExtension, bool save, std::string* path, int* filterIndex) {
    std::string parts = filter;
    std::replace(parts.begin(), parts.end(), '|', '\0');
    parts.push_back('\0');
    std::vector<char> file(32768, '\0');
    lstrcpynA(file.data(), initial.c_str(), static_cast<int>(file.size()));
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = parts.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = defaultExtension;
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!(save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn))) return false;
    *path = file.data();
    if (filterIndex) *filterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
