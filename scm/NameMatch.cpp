#include "scm/NameMatch.h"

#include <cstring>

#include "platform/ScmApi.h"

bool IsPlain(unsigned char c) {
    return c >= 0x20 && c < 0x7F;
}

unsigned char Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

namespace {
// Per byte: its folded form in the key, kLeftOut for a byte the key leaves
// out, or 0 for a byte that makes the name not plain.
constexpr unsigned char kLeftOut = 0xFF;
struct KeyTable {
    unsigned char key[256];
    KeyTable() {
        for (int c = 0; c < 256; ++c) {
            auto b = static_cast<unsigned char>(c);
            key[c] = !IsPlain(b) ? 0 : (b == '-' || b == '\'') ? kLeftOut : Fold(b);
        }
    }
};
const KeyTable kKey;

// The next byte of the key at or after `p` (0 at the end), or kLeftOut when
// `p` reaches a byte that is not plain.
unsigned char NextKey(const unsigned char*& p) {
    for (;; ++p) {
        if (*p == 0) return 0;
        unsigned char k = kKey.key[*p];
        if (k == 0) return kLeftOut;
        if (k != kLeftOut) return k;
    }
}
}  // namespace

bool PlainHash(const char* name, uint32_t* hash) {
    uint32_t h = 0x9E3779B9u;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        unsigned char k = kKey.key[*p];
        if (k == 0) return false;
        if (k != kLeftOut) h = ((h << 5) | (h >> 27)) ^ k;
    }
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    *hash = h;
    return true;
}

bool KeyEqual(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        unsigned char kp = NextKey(p), kq = NextKey(q);
        if (kp != kq) return false;
        if (kp == 0 || kp == kLeftOut) return kp == 0;
    }
}

bool KnownDifferent(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    bool differ = false;
    for (;;) {
        unsigned char kp = NextKey(p), kq = NextKey(q);
        if (kp == kLeftOut || kq == kLeftOut) return false;  // not plain: only the platform knows
        if (kp != kq) differ = true;
        if (kp == 0 && kq == 0) return differ;
        // One key ended: the rest of the other must still be plain.
        if (kp != 0) ++p;
        if (kq != 0) ++q;
    }
}

// Identical bytes are equal under any comparison; the platform is asked
// only where its answer is not known.
bool SameServiceName(platform::ScmApi& api, const char* a, const char* b) {
    return std::strcmp(a, b) == 0 || (!KnownDifferent(a, b) && api.lstrcmpiA(a, b) == 0);
}
