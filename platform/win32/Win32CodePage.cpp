#include "platform/win32/Win32CodePage.h"

#include <windows.h>

namespace platform {

static_assert(codepage::kAnsi == CP_ACP && codepage::kUtf8 == CP_UTF8 &&
                  codepage::kErrorOnInvalid == MB_ERR_INVALID_CHARS &&
                  codepage::kErrorNoUnicodeTranslation == ERROR_NO_UNICODE_TRANSLATION,
              "the platform's values");
static_assert(sizeof(char16_t) == sizeof(WCHAR), "a UTF-16 unit");

uint32_t Win32CodePage::CharLowerBuffA(char* text, uint32_t length) {
    return ::CharLowerBuffA(text, length);
}

bool Win32CodePage::IsDBCSLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

int Win32CodePage::MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text,
                                       int length, char16_t* wide, int wideLength) {
    return ::MultiByteToWideChar(codePage, flags, text, length, reinterpret_cast<LPWSTR>(wide),
                                 wideLength);
}

// UTF-8 takes no default character: the platform refuses one for it.
int Win32CodePage::WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wide,
                                       int wideLength, char* text, int length) {
    return ::WideCharToMultiByte(codePage, flags, reinterpret_cast<LPCWSTR>(wide), wideLength, text,
                                 length, nullptr, nullptr);
}

uint32_t Win32CodePage::GetLastError() {
    return ::GetLastError();
}

}  // namespace platform
