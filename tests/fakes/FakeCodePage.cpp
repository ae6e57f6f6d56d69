#include "tests/fakes/FakeCodePage.h"

#include <string>

namespace fake {

namespace {

namespace cp = platform::codepage;

// Windows-1252 from 0x80 to 0x9F; the bytes it leaves undefined stand for
// the control characters of the same number, as the platform maps them.
const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

unsigned char Lower1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    return c;
}

// Copies what fits; the count needed when there is no room given.
template <typename Unit>
int Give(const std::basic_string<Unit>& out, Unit* to, int room, uint32_t* error) {
    if (room == 0) return static_cast<int>(out.size());
    if (static_cast<int>(out.size()) > room) {
        *error = 122;  // the buffer is too small
        return 0;
    }
    out.copy(to, out.size());
    return static_cast<int>(out.size());
}

}  // namespace

uint32_t CodePage::CharLowerBuffA(char* text, uint32_t length) {
    ++lowerCalls;
    for (uint32_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (doubleBytes_ && IsDBCSLeadByte(c) && i + 1 < length) {
            ++i;  // the trail byte is part of the character, never a letter of its own
            continue;
        }
        text[i] =
            static_cast<char>(doubleBytes_ ? (c >= 'A' && c <= 'Z' ? c + 32 : c) : Lower1252(c));
    }
    return length;
}

bool CodePage::IsDBCSLeadByte(unsigned char byte) {
    return doubleBytes_ && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

int CodePage::MultiByteToWideChar(uint32_t codePage, uint32_t, const char* text, int length,
                                  char16_t* wide, int wideLength) {
    if (failConversions || codePage != cp::kAnsi) {
        lastError_ = cp::kErrorNoUnicodeTranslation;
        return 0;
    }
    size_t size = length < 0 ? std::char_traits<char>::length(text) + 1 : size_t(length);
    std::u16string out;
    for (size_t i = 0; i < size; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (doubleBytes_ && IsDBCSLeadByte(c) && i + 1 < size) {
            // A made-up ideograph per pair: enough to see pairs stay whole.
            out += static_cast<char16_t>(0x4E00 + (c << 8) + static_cast<unsigned char>(text[++i]));
        } else {
            out += !doubleBytes_ && c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : char16_t(c);
        }
    }
    return Give(out, wide, wideLength, &lastError_);
}

int CodePage::WideCharToMultiByte(uint32_t codePage, uint32_t, const char16_t* wide, int wideLength,
                                  char* text, int length) {
    if (failConversions || codePage != cp::kUtf8) {
        lastError_ = cp::kErrorNoUnicodeTranslation;
        return 0;
    }
    size_t size =
        wideLength < 0 ? std::char_traits<char16_t>::length(wide) + 1 : size_t(wideLength);
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        uint32_t c = wide[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < size && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return Give(out, text, length, &lastError_);
}

}  // namespace fake
