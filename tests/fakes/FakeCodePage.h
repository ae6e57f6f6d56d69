#pragma once
// The user's code page in memory: Windows-1252 (its case pairs beyond
// ASCII, its characters for 0x80 to 0x9F), or a code page of two bytes per
// character beyond ASCII whose trail bytes may look like ASCII letters, as
// Shift-JIS's do; conversions can be made to fail.
#include <set>

#include "platform/CodePageApi.h"

namespace fake {

class CodePage : public platform::CodePageApi {
public:
    // Lead bytes 0x81 to 0x9F and 0xE0 to 0xFC, as Shift-JIS has them; a
    // double-byte character's only case is itself.
    void UseDoubleBytes() { doubleBytes_ = true; }
    // Every conversion fails as for a byte the code page has no character for.
    bool failConversions = false;
    int lowerCalls = 0;

    uint32_t CharLowerBuffA(char* text, uint32_t length) override;
    bool IsDBCSLeadByte(unsigned char byte) override;
    int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int length,
                            char16_t* wide, int wideLength) override;
    int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wide, int wideLength,
                            char* text, int length) override;
    uint32_t GetLastError() override { return lastError_; }

private:
    bool doubleBytes_ = false;
    uint32_t lastError_ = 0;
};

}  // namespace fake
