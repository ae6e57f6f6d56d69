#include "scm/NameLookup.h"

#include <algorithm>
#include <utility>

#include "scm/NameMatch.h"

void NameLookup::Make(std::vector<const char*> names) {
    names_ = std::move(names);
    others_.clear();
    size_t count = names_.size();
    size_t buckets = 16;
    while (buckets < count * 2) buckets *= 2;
    mask_ = buckets - 1;
    heads_.assign(buckets, -1);
    next_.assign(count, -1);
    hashes_.assign(count, 0);
    plain_.assign(count, 0);
    // Filled from the back, so every chain runs in slot order.
    for (size_t i = count; i-- > 0;) {
        uint32_t hash;
        if (names_[i] == nullptr) continue;
        if (PlainHash(names_[i], &hash)) {
            hashes_[i] = hash;
            plain_[i] = 1;
            int& head = heads_[hash & mask_];
            next_[i] = head;
            head = static_cast<int>(i);
        } else {
            others_.push_back(static_cast<int>(i));
        }
    }
    std::reverse(others_.begin(), others_.end());
}

int NameLookup::First(platform::ScmApi& api, const char* name) const {
    uint32_t hash;
    if (name == nullptr) return -1;
    return PlainHash(name, &hash) ? FirstPlain(api, name, hash) : Scan(api, name);
}

int NameLookup::First(platform::ScmApi& api, const NameLookup& other, uint32_t slot) const {
    const char* name = other.names_[slot];
    if (name == nullptr) return -1;
    return other.plain_[slot] ? FirstPlain(api, name, other.hashes_[slot]) : Scan(api, name);
}

// A plain name may still equal a name that is not plain: those are asked in
// order, up to the first plain match.
int NameLookup::FirstPlain(platform::ScmApi& api, const char* name, uint32_t hash) const {
    int best = -1;
    for (int i = heads_[hash & mask_]; i >= 0; i = next_[i]) {
        if (hashes_[i] == hash && SameServiceName(api, name, names_[i])) {
            best = i;
            break;
        }
    }
    for (int i : others_) {
        if (best >= 0 && i > best) break;
        if (SameServiceName(api, name, names_[i])) return i;
    }
    return best;
}

// The platform's comparison against every name in order.
int NameLookup::Scan(platform::ScmApi& api, const char* name) const {
    for (size_t i = 0; i < names_.size(); ++i)
        if (names_[i] != nullptr && SameServiceName(api, name, names_[i]))
            return static_cast<int>(i);
    return -1;
}
