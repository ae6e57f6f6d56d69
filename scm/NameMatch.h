#pragma once
// Service names compared as the platform compares them, without asking the
// platform where its answer is already known.
#include <cstdint>

namespace platform {
class ScmApi;
}

// Matching names by hash stays exact only where the platform's comparison is
// known to be no finer than ASCII case folding: printable ASCII, without the
// hyphen and apostrophe that word sorting treats specially. Names with any
// other byte (letters of the code page, control characters) may equal texts
// that fold differently, so they go to the platform. Every candidate is still
// confirmed by the platform, which keeps locales whose comparison is finer
// (Turkish i) exact as well.
bool IsPlain(unsigned char c);
unsigned char Fold(unsigned char c);
// A hash of the folded name; false when the name is not plain.
bool PlainHash(const char* name, uint32_t* hash);
bool FoldEqual(const char* a, const char* b);
// True when the platform cannot call the two names equal: both plain, and
// different after folding.
bool KnownDifferent(const char* a, const char* b);

// The one test of whether two service names name the same service: the
// platform's case-insensitive comparison, asked only where its answer is not
// known already.
bool SameServiceName(platform::ScmApi& api, const char* a, const char* b);
