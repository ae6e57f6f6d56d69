#include "views/ServiceTreeModel.h"

#include <algorithm>
#include <cstdio>

#include "views/ServiceFilter.h"

namespace {

// Images of the icon strip.
const int kImageUnknown = 1;
const int kImageClosedFolder = 5;
const int kImageOpenFolder = 6;
const int kImageGears = 11;

struct Category {
    const char* name;
    uint32_t mask;  // 0: lists no services
    int level;
};

namespace sc = platform::scm;
const Category kCategories[] = {
    {"SERVICE_WIN32", 0, 0},
    {"SERVICE_WIN32_OWN_PROCESS", sc::kTypeWin32OwnProcess, 1},
    {"SERVICE_WIN32_SHARE_PROCESS", sc::kTypeWin32ShareProcess, 1},
    {"SERVICE_DRIVER", 0, 0},
    {"SERVICE_KERNEL_DRIVER", sc::kTypeKernelDriver, 1},
    {"SERVICE_FILE_SYSTEM_DRIVER", sc::kTypeFileSystemDriver, 1},
    {"SERVICE_RECOGNIZER_DRIVER", sc::kTypeRecognizerDriver, 1},
    {"SERVICE_ADAPTER", sc::kTypeAdapter, 0},
    {"SERVICE_INTERACTIVE_PROCESS", sc::kTypeInteractive, 0},
};

// The per-user bits have their names too, though their category is one.
const Category kUserBits[] = {
    {"SERVICE_USER_SERVICE", sc::kTypeUserService, 0},
    {"SERVICE_USERSERVICE_INSTANCE", sc::kTypeUserServiceInstance, 0},
};

// The C library's multibyte lower-casing in its default locale folds the
// ASCII letters only.
std::string Folded(const std::string& text) {
    std::string folded = text;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    const char* blanks = " \t\r\n\v\f";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// The configuration's load-order group or dependency names; empty when the
// configuration cannot be read.
bool ReadConfig(ServiceList& list, const std::string& name, std::string* group,
                std::vector<std::string>* dependencies) {
    platform::ServiceConfigRecord* config = nullptr;
    bool read = list.QueryConfig(name.c_str(), &config);
    if (read && group) *group = Trimmed(config->loadOrderGroup);
    if (read && dependencies && config->dependencies)
        for (const char* p = config->dependencies; *p; p += std::char_traits<char>::length(p) + 1)
            dependencies->push_back(p);
    ServiceList::FreeBuffer(config);
    return read;
}

}  // namespace

int ServiceTreeModel::Append(int parent, const std::string& text, int image, int selectedImage,
                             int32_t data, int32_t entry) {
    int index = static_cast<int>(nodes_.size());
    nodes_.push_back(TreeNode{text, image, selectedImage, data, parent, entry});
    byText_[Folded(text)].push_back(index);
    children_.emplace_back();
    (parent < 0 ? roots_ : children_[static_cast<size_t>(parent)]).push_back(index);
    return index;
}

void ServiceTreeModel::Build(int mode, ServiceList& list) {
    nodes_.clear();
    children_.clear();
    roots_.clear();
    byText_.clear();
    counted_.clear();
    mode_ = mode;
    if (mode == kByType) BuildByType(list);
    if (mode == kByGroup) BuildByGroup(list);
    if (mode == kByDependency) {
        entryOf_.clear();
        for (uint32_t i = 0; const ServiceEntry* e = list.EntryAt(i); ++i)
            entryOf_.emplace(e->name ? e->name : "", static_cast<int32_t>(i));
        std::vector<std::string> chain;
        for (uint32_t i = 0; const ServiceEntry* e = list.EntryAt(i); ++i)
            InsertDependency(list, e->name ? e->name : "", chain);
    }
    built_ = nodes_;
    counted_.resize(nodes_.size());
}

// A node comes after its parent in the tree as built: one pass from the
// end finds every node that keeps something below it.
void ServiceTreeModel::Filter(const ServiceFilter& filter, const ServiceList& list) {
    std::vector<bool> kept(built_.size(), false);
    for (size_t i = built_.size(); i-- > 0;) {
        const TreeNode& n = built_[i];
        if (n.data == kServiceData && !kept[i]) {
            const ServiceEntry* e =
                n.entry >= 0 ? list.EntryAt(static_cast<uint32_t>(n.entry)) : nullptr;
            kept[i] =
                e ? filter.Keeps(e->name, e->displayName) : filter.Keeps(n.text.c_str(), nullptr);
        }
        if (mode_ == kByType && n.data == kGroupData) kept[i] = true;
        if (kept[i] && n.parent >= 0) kept[static_cast<size_t>(n.parent)] = true;
    }
    nodes_.clear();
    children_.clear();
    roots_.clear();
    byText_.clear();
    std::vector<int> placed(built_.size(), -1);
    for (size_t i = 0; i < built_.size(); ++i) {
        if (!kept[i]) continue;
        const TreeNode& n = built_[i];
        int parent = n.parent < 0 ? -1 : placed[static_cast<size_t>(n.parent)];
        placed[i] = Append(parent, n.text, n.image, n.selectedImage, n.data, n.entry);
    }
    for (size_t i = 0; i < built_.size(); ++i) {
        if (placed[i] < 0 || counted_[i].empty()) continue;
        size_t node = static_cast<size_t>(placed[i]);
        nodes_[node].text = counted_[i] + " (" + std::to_string(children_[node].size()) + ")";
    }
}

void ServiceTreeModel::BuildByType(ServiceList& list) {
    int parent = -1;
    for (const Category& category : kCategories) {
        if (category.level == 0) parent = -1;
        if (category.mask != 0) {
            AppendCategory(parent, category.name, category.mask, list);
            continue;
        }
        int node = Append(parent, category.name, kImageClosedFolder, kImageOpenFolder, kGroupData);
        if (category.level == 0) parent = node;
    }
    // A machine older than Windows 10 has no per-user services: its tree
    // stays as it always was.
    const uint32_t user = sc::kTypeUserService | sc::kTypeUserServiceInstance;
    for (uint32_t i = 0; const ServiceEntry* e = list.EntryAt(i); ++i) {
        if (!(e->serviceType & user)) continue;
        AppendCategory(-1, userTitle_, user, list);
        break;
    }
}

void ServiceTreeModel::AppendCategory(int parent, const std::string& title, uint32_t mask,
                                      const ServiceList& list) {
    int node = Append(parent, title, kImageClosedFolder, kImageOpenFolder, kGroupData);
    unsigned count = 0;
    for (uint32_t i = 0; const ServiceEntry* e = list.EntryAt(i); ++i) {
        if (!(e->serviceType & mask)) continue;
        Append(node, e->name ? e->name : "", kImageUnknown, kImageUnknown, kServiceData,
               static_cast<int32_t>(i));
        ++count;
    }
    nodes_[static_cast<size_t>(node)].text = title + " (" + std::to_string(count) + ")";
    counted_.resize(nodes_.size());
    counted_[static_cast<size_t>(node)] = title;
}

// A group node carries the group's text as its first service spells it.
void ServiceTreeModel::BuildByGroup(ServiceList& list) {
    for (uint32_t i = 0; const ServiceEntry* e = list.EntryAt(i); ++i) {
        std::string name = e->name ? e->name : "";
        std::string group;
        if (!ReadConfig(list, name, &group, nullptr) || group.empty()) continue;
        int node = FirstMatch(group, [](const TreeNode&) { return true; });
        if (node < 0) node = Append(-1, group, kImageGears, kImageGears, kGroupData);
        Append(node, name, kImageUnknown, kImageUnknown, kServiceData, static_cast<int32_t>(i));
    }
}

// The children of a node are what depends on it. A name already being
// expanded further up the chain (a cycle the service control manager should
// never hold) is not expanded again: it gets no node of its own there.
int ServiceTreeModel::InsertDependency(ServiceList& list, const std::string& given,
                                       std::vector<std::string>& chain) {
    bool group = !given.empty() && given[0] == '+';
    std::string name = group ? given.substr(1) : given;
    int match =
        FirstMatch(name, [&](const TreeNode& n) { return (n.data == kGroupData) == group; });
    if (match >= 0) return match;
    std::string folded = Folded(name);
    if (std::find(chain.begin(), chain.end(), folded) != chain.end()) return -1;
    std::vector<std::string> dependencies;
    ReadConfig(list, name, nullptr, &dependencies);
    int image = group ? kImageGears : kImageUnknown;
    int32_t data = group ? kGroupData : kServiceData;
    // A service that depends on one the list does not hold has that one in
    // the tree too, without an entry.
    int32_t entry = group ? -1 : EntryOf(list, name);
    if (dependencies.empty()) return Append(-1, name, image, image, data, entry);
    chain.push_back(folded);
    int last = -1;
    for (const std::string& dependency : dependencies) {
        int parent = InsertDependency(list, dependency, chain);
        last = Append(parent, name, image, image, data, entry);
    }
    chain.pop_back();
    return last;
}

// A name spelt as the list spells it is found at once; another spelling
// goes to the list's own comparison.
int32_t ServiceTreeModel::EntryOf(const ServiceList& list, const std::string& name) const {
    auto found = entryOf_.find(name);
    return found != entryOf_.end() ? found->second : list.IndexOf(name.c_str());
}

template <typename Keep>
int ServiceTreeModel::FirstMatch(const std::string& text, Keep keep) const {
    auto found = byText_.find(Folded(text));
    if (found == byText_.end()) return -1;
    int first = -1;
    for (int node : found->second)
        if (keep(nodes_[static_cast<size_t>(node)]) && (first < 0 || BeforeInOrder(node, first)))
            first = node;
    return first;
}

// Depth-first pre-order: an ancestor comes before its descendants, and
// siblings (and roots) in the order they were appended, which is the order
// of their indexes.
bool ServiceTreeModel::BeforeInOrder(int a, int b) const {
    auto path = [this](int node) {
        std::vector<int> up;
        for (; node >= 0; node = nodes_[static_cast<size_t>(node)].parent) up.push_back(node);
        return std::vector<int>(up.rbegin(), up.rend());
    };
    std::vector<int> pa = path(a), pb = path(b);
    for (size_t i = 0; i < pa.size() && i < pb.size(); ++i)
        if (pa[i] != pb[i]) return pa[i] < pb[i];
    return pa.size() < pb.size();
}

std::vector<int> ServiceTreeModel::Matches(const std::string& text) const {
    std::vector<int> out;
    CollectMatches(roots_, Folded(text), &out);
    return out;
}

void ServiceTreeModel::CollectMatches(const std::vector<int>& level, const std::string& folded,
                                      std::vector<int>* out) const {
    for (int node : level) {
        if (Folded(nodes_[static_cast<size_t>(node)].text) == folded) out->push_back(node);
        CollectMatches(children_[static_cast<size_t>(node)], folded, out);
    }
}

std::string ServiceTypeNames(uint32_t type) {
    std::string names;
    uint32_t named = 0;
    for (const Category& category : kCategories) {
        if (category.mask == 0 || (type & category.mask) == 0) continue;
        names += (names.empty() ? "" : " | ") + std::string(category.name);
        named |= category.mask;
    }
    for (const Category& bit : kUserBits) {
        if ((type & bit.mask) == 0) continue;
        names += (names.empty() ? "" : " | ") + std::string(bit.name);
        named |= bit.mask;
    }
    if (type & ~named) {
        char rest[16];
        std::snprintf(rest, sizeof rest, "0x%X", static_cast<unsigned>(type & ~named));
        names += (names.empty() ? "" : " | ") + std::string(rest);
    }
    return names;
}
