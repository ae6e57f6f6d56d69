#pragma once
// The nodes of a services tree, decided without a window: by service type,
// by load-order group or by dependency. A window inserts the nodes in their
// order (each parent before its children) and keeps the icons current.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "scm/ServiceList.h"

class ServiceFilter;

struct TreeNode {
    std::string text;
    int image;
    int selectedImage;
    int32_t data;   // 0 for a category or group, -1 for a service
    int parent;     // index of the parent node, -1 at the root
    int32_t entry;  // the service's index in the list, -1 for none
};

class ServiceTreeModel {
public:
    enum Mode { kNone = 0, kByType = 2, kByGroup = 3, kByDependency = 4 };
    static constexpr int32_t kGroupData = 0;
    static constexpr int32_t kServiceData = -1;

    // Builds the tree of `mode` from the list's entries; another mode
    // builds nothing. Every node is shown.
    void Build(int mode, ServiceList& list);
    // The title of the tree by type's last category, the per-user services
    // (templates and instances) with their count, shown when there are
    // any; a text of the language.
    void SetUserServicesTitle(const std::string& title) { userTitle_ = title; }
    // Shows, of the tree built, the service nodes the filter keeps and the
    // nodes above them, the tree by type's categories always (with the
    // count of what they keep). Asks the platform nothing.
    void Filter(const ServiceFilter& filter, const ServiceList& list);

    const std::vector<TreeNode>& Nodes() const { return nodes_; }
    // Every node whose text equals `text` with ASCII letters folded, in
    // depth-first pre-order.
    std::vector<int> Matches(const std::string& text) const;

private:
    int Append(int parent, const std::string& text, int image, int selectedImage, int32_t data,
               int32_t entry = -1);
    void BuildByType(ServiceList& list);
    void AppendCategory(int parent, const std::string& title, uint32_t mask,
                        const ServiceList& list);
    void BuildByGroup(ServiceList& list);
    int InsertDependency(ServiceList& list, const std::string& name,
                         std::vector<std::string>& chain);
    void CollectMatches(const std::vector<int>& level, const std::string& folded,
                        std::vector<int>* out) const;
    // What Matches(text).front() would be among the nodes that `keep`
    // accepts, -1 for none, without walking the tree: a build asks once a
    // service, and a walk each time would grow with the square of them.
    template <typename Keep>
    int FirstMatch(const std::string& text, Keep keep) const;
    bool BeforeInOrder(int a, int b) const;
    int32_t EntryOf(const ServiceList& list, const std::string& name) const;

    std::vector<TreeNode> nodes_;
    // The tree as built, and each node's name without its count (empty for
    // a node that shows no count).
    std::vector<TreeNode> built_;
    std::vector<std::string> counted_;
    int mode_ = kNone;
    std::string userTitle_ = "SERVICE_USER_SERVICE";
    std::vector<std::vector<int>> children_;
    std::vector<int> roots_;
    std::unordered_map<std::string, std::vector<int>> byText_;  // folded text: its nodes
    std::unordered_map<std::string, int32_t> entryOf_;          // each name as the list spells it
};

// A service type as the platform's names of its bits ("SERVICE_WIN32_OWN_PROCESS
// | SERVICE_INTERACTIVE_PROCESS"), any bit without a name in hexadecimal.
std::string ServiceTypeNames(uint32_t type);
