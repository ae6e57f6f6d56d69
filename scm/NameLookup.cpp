#include "scm/NameLookup.h"

#include "scm/NameMatch.h"

void NameLookup::Make(const std::vector<const char*>& names) {
    names_ = names;
    plain_.clear();
    others_.clear();
    plain_.reserve(names.size());
    for (uint32_t i = 0; i < names.size(); ++i) {
        uint32_t hash = 0;
        if (names[i] == nullptr) continue;
        if (PlainHash(names[i], &hash))
            plain_.emplace(hash, i);
        else
            others_.push_back(i);
    }
}

// A plain name may still equal a name that is not plain: those are asked in
// order, up to the first plain match.
int NameLookup::First(platform::ScmApi& api, const char* name) const {
    if (name == nullptr) return -1;
    int best = -1;
    uint32_t hash = 0;
    if (PlainHash(name, &hash)) {
        auto range = plain_.equal_range(hash);
        for (auto it = range.first; it != range.second; ++it) {
            int index = static_cast<int>(it->second);
            if ((best < 0 || index < best) && SameServiceName(api, name, names_[it->second]))
                best = index;
        }
        for (uint32_t i : others_) {
            if (best >= 0 && static_cast<int>(i) > best) break;
            if (SameServiceName(api, name, names_[i])) return static_cast<int>(i);
        }
        return best;
    }
    for (uint32_t i = 0; i < names_.size(); ++i)
        if (names_[i] != nullptr && SameServiceName(api, name, names_[i]))
            return static_cast<int>(i);
    return -1;
}
