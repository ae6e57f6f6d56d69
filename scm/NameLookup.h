#pragma once
// "The first of these names that names this service", over thousands of
// names, answered as SameServiceName answers it without comparing each one.
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace platform {
class ScmApi;
}

class NameLookup {
public:
    // The names stay the caller's, unchanged, until the next Make.
    void Make(const std::vector<const char*>& names);
    // The index of the first name the platform calls equal to `name`, or -1.
    int First(platform::ScmApi& api, const char* name) const;

private:
    std::vector<const char*> names_;
    std::unordered_multimap<uint32_t, uint32_t> plain_;  // a plain name's key hash, its index
    std::vector<uint32_t> others_;  // the names only the platform can compare, in order
};
