#pragma once
// "The first of these names that names this service", over thousands of
// names, answered as SameServiceName answers it without comparing each one.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {
class ScmApi;
}

class NameLookup {
public:
    // The names (null for none) stay the caller's, unchanged, until the next
    // Make. May throw std::bad_alloc, leaving no lookup to ask.
    void Make(std::vector<const char*> names);
    // The index of the first name the platform calls equal to `name`, or -1.
    int First(platform::ScmApi& api, const char* name) const;
    // The same for name `slot` of `other`, made the same way: its key is
    // not worked out again.
    int First(platform::ScmApi& api, const NameLookup& other, uint32_t slot) const;

private:
    int FirstPlain(platform::ScmApi& api, const char* name, uint32_t hash) const;
    int Scan(platform::ScmApi& api, const char* name) const;

    std::vector<const char*> names_;
    size_t mask_ = 0;
    // Chains of the plain names by their key's hash, each in slot order.
    std::vector<int> heads_, next_;
    std::vector<uint32_t> hashes_;
    std::vector<char> plain_;
    std::vector<int> others_;  // the names only the platform can compare, in order
};
