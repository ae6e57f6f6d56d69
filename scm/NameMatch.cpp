#include "scm/NameMatch.h"

#include "platform/ScmApi.h"

bool IsPlain(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '-' && c != '\''; }

unsigned char Fold(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

namespace {
// Each byte folded, or 0 for a byte that is not plain.
struct PlainFoldTable {
    unsigned char fold[256];
    PlainFoldTable() {
        for (int c = 0; c < 256; ++c)
            fold[c] =
                IsPlain(static_cast<unsigned char>(c)) ? Fold(static_cast<unsigned char>(c)) : 0;
    }
};
const PlainFoldTable kPlainFold;
}  // namespace

bool PlainHash(const char* name, uint32_t* hash) {
    uint32_t h = 0x9E3779B9u;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        unsigned char f = kPlainFold.fold[*p];
        if (f == 0) return false;
        h = ((h << 5) | (h >> 27)) ^ f;
    }
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    *hash = h;
    return true;
}

bool FoldEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char ca = Fold(static_cast<unsigned char>(*a));
        if (ca != Fold(static_cast<unsigned char>(*b))) return false;
        if (ca == '\0') return true;
    }
}

bool KnownDifferent(const char* a, const char* b) {
    const auto* p = reinterpret_cast<const unsigned char*>(a);
    const auto* q = reinterpret_cast<const unsigned char*>(b);
    bool differ = false;
    for (;; ++p, ++q) {
        unsigned char fp = kPlainFold.fold[*p], fq = kPlainFold.fold[*q];
        if ((*p && !fp) || (*q && !fq)) return false;  // not plain: only the platform knows
        if (fp != fq) differ = true;
        if (!*p || !*q) return differ || *p != *q;
    }
}

bool SameServiceName(platform::ScmApi& api, const char* a, const char* b) {
    return !KnownDifferent(a, b) && api.lstrcmpiA(a, b) == 0;
}
