#pragma once
// The rows of the services list, decided without a window: every entry's
// cell texts, kept between rebuilds so that a filter typed over them never
// asks the platform again; the entries the filter keeps, in the order of
// the last click on a column title; and the row a command acts on.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "views/ServiceFilter.h"
#include "views/ServiceListModel.h"

class ServiceRows {
public:
    explicit ServiceRows(platform::CodePageApi& codePage) : filter_(codePage) {}

    // A list of `count` entries with empty cells, none shown until Choose;
    // the filter and the order of the last sort stay.
    void Reset(size_t count);
    size_t EntryCount() const { return cells_.size(); }
    // False when the cell held that text already. The name and description
    // cells are kept whether shown or not: the filter reads them.
    bool SetCell(uint32_t entry, int slot, const std::string& text);
    const std::string& Cell(uint32_t entry, int slot) const;

    // The shown rows chosen again for a new text; false when it is the
    // text already set (nothing changes).
    bool SetFilter(const std::string& text);
    const ServiceFilter& Filter() const { return filter_; }
    // A click on the title of `slot`: the shown rows sorted by its texts,
    // descending when they stand ascending already; equal texts keep their
    // order. Later choices keep that order.
    void SortBy(int slot);
    // The shown rows chosen from every entry: those the filter keeps, in
    // entry order or the order of the last sort.
    void Choose();

    size_t Count() const { return rows_.size(); }
    uint32_t EntryOf(size_t row) const { return rows_[row]; }
    // The row that shows `entry`, -1 when it is not shown.
    int RowOf(uint32_t entry) const;
    // The texts of a row in the shown columns, in column order.
    std::vector<std::string> Line(size_t row, const ListColumns& columns) const;
    // Typing in the list: the first row from `start` on, going round,
    // whose name begins with `prefix` (case ignored); -1 for none.
    int FindRow(const std::string& prefix, size_t start) const;

private:
    void Order();

    ServiceFilter filter_;
    std::vector<std::array<std::string, kColumnCount>> cells_;
    std::vector<std::string> folded_;  // each entry's two names folded, once
    std::vector<bool> foldedValid_;
    std::vector<uint32_t> rows_;
    std::vector<int> rowOf_;
    int sortSlot_ = -1;
    bool descending_ = false;
};

// The row a service command acts on: the focused row when it is selected
// (where the user is), else the first row selected; -1 when none is.
int CommandRow(int focused, bool focusedSelected, int firstSelected);
