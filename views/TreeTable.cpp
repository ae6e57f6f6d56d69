#include "views/TreeTable.h"

#include <vector>

#include "scm/ServiceList.h"

TableRows TreeLines(const ServiceTreeModel& model, const ServiceList& list, int node,
                    const std::function<std::string(uint32_t state)>& stateText) {
    const std::vector<TreeNode>& nodes = model.Nodes();
    std::vector<std::vector<int>> children(nodes.size());
    std::vector<int> roots;
    for (size_t i = 0; i < nodes.size(); ++i) {
        int parent = nodes[i].parent;
        if (parent >= 0 && static_cast<size_t>(parent) < nodes.size())
            children[static_cast<size_t>(parent)].push_back(static_cast<int>(i));
        else if (parent < 0)
            roots.push_back(static_cast<int>(i));
    }
    TableRows lines;
    // Depth first with a stack of its own: a dependency chain may be long.
    std::vector<int> pending;
    if (node < 0)
        pending.assign(roots.rbegin(), roots.rend());
    else if (static_cast<size_t>(node) < nodes.size())
        pending.push_back(node);
    while (!pending.empty()) {
        int at = pending.back();
        pending.pop_back();
        const TreeNode& n = nodes[static_cast<size_t>(at)];
        const ServiceEntry* entry =
            n.entry >= 0 ? list.EntryAt(static_cast<uint32_t>(n.entry)) : nullptr;
        if (entry)
            lines.push_back({n.parent >= 0 ? nodes[static_cast<size_t>(n.parent)].text : "",
                             entry->name ? entry->name : "",
                             entry->displayName ? entry->displayName : "",
                             stateText(entry->currentState)});
        const std::vector<int>& below = children[static_cast<size_t>(at)];
        pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    return lines;
}
