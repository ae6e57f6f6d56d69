#pragma once
// A services tree as a table, decided without a window: for the clipboard
// and for export, as the list does with its rows.
#include <functional>
#include <string>

#include "views/ListExport.h"
#include "views/ServiceTreeModel.h"

class ServiceList;

// The services at and under `node` (the whole tree for -1), in the order the
// tree shows them: each with the text of the node that holds it ("" at the
// root), its name, its description and `stateText` of its state. A service
// the tree shows twice (under two services that depend on it) is a line each
// time.
TableRows TreeLines(const ServiceTreeModel& model, const ServiceList& list, int node,
                    const std::function<std::string(uint32_t state)>& stateText);
