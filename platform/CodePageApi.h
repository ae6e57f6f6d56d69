#pragma once
// The user's 8-bit code page: its case folding, its lead bytes, and the
// conversions between it, UTF-16 and UTF-8, call for call as the platform
// names them.
#include <cstdint>

namespace platform {

namespace codepage {
constexpr uint32_t kAnsi = 0;  // CP_ACP: the user's code page
constexpr uint32_t kUtf8 = 65001;
// MB_ERR_INVALID_CHARS: a byte the code page has no character for fails.
constexpr uint32_t kErrorOnInvalid = 0x8;
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
}  // namespace codepage

class CodePageApi {
public:
    virtual ~CodePageApi() = default;
    // CharLowerBuffA: the `length` bytes of `text` lower-cased in place as
    // the user's code page folds them (a character of two bytes as one);
    // the count of bytes processed.
    virtual uint32_t CharLowerBuffA(char* text, uint32_t length) = 0;
    // IsDBCSLeadByte: whether `byte` starts a character of two bytes in the
    // user's code page.
    virtual bool IsDBCSLeadByte(unsigned char byte) = 0;
    // MultiByteToWideChar and WideCharToMultiByte (without the default
    // character): the count of units written, or with a null output the
    // count needed; 0 on failure, with the reason in GetLastError().
    virtual int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int length,
                                    char16_t* wide, int wideLength) = 0;
    virtual int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wide,
                                    int wideLength, char* text, int length) = 0;
    virtual uint32_t GetLastError() = 0;
};

}  // namespace platform
