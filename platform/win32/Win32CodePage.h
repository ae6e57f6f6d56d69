#pragma once
#include "platform/CodePageApi.h"

namespace platform {

class Win32CodePage : public CodePageApi {
public:
    uint32_t CharLowerBuffA(char* text, uint32_t length) override;
    bool IsDBCSLeadByte(unsigned char byte) override;
    int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int length,
                            char16_t* wide, int wideLength) override;
    int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wide, int wideLength,
                            char* text, int length) override;
    uint32_t GetLastError() override;
};

}  // namespace platform
