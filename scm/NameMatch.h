#pragma once
// Service names compared as the platform compares them, without asking the
// platform where its answer is already known.
#include <cstdint>

namespace platform {
class ScmApi;
}

// Matching names by a key stays exact only where the platform's comparison
// is known never to call two names equal whose keys differ. For names of
// printable ASCII the key folds ASCII case and leaves out hyphens and
// apostrophes, which word sorting weighs apart from the letters (it may
// ignore them). Names with any other byte (letters of the code page,
// control characters, the soft hyphen) may equal texts that differ in more
// than that (ligatures, ignored characters), so they go to the platform.
// Every candidate is still confirmed by the platform, which keeps locales
// whose comparison is finer (Turkish i) exact as well.
bool IsPlain(unsigned char c);
unsigned char Fold(unsigned char c);
// A hash of the name's key; false when the name is not plain.
bool PlainHash(const char* name, uint32_t* hash);
// Whether two plain names have the same key.
bool KeyEqual(const char* a, const char* b);
// True when the platform cannot call the two names equal: both plain, and
// of different keys.
bool KnownDifferent(const char* a, const char* b);

// The one test of whether two service names name the same service: the
// platform's case-insensitive comparison, asked only where its answer is not
// known already.
bool SameServiceName(platform::ScmApi& api, const char* a, const char* b);
