#include "views/ServiceRows.h"

#include <algorithm>

#include "views/ColumnSort.h"

void ServiceRows::Reset(size_t count) {
    cells_.assign(count, {});
    folded_.assign(count, std::string());
    foldedValid_.assign(count, false);
    rows_.clear();
    rowOf_.assign(count, -1);
}

bool ServiceRows::SetCell(uint32_t entry, int slot, const std::string& text) {
    std::string& cell = cells_[entry][static_cast<size_t>(slot)];
    if (cell == text) return false;
    cell = text;
    if (slot == kColName || slot == kColDescription) foldedValid_[entry] = false;
    return true;
}

const std::string& ServiceRows::Cell(uint32_t entry, int slot) const {
    return cells_[entry][static_cast<size_t>(slot)];
}

bool ServiceRows::SetFilter(const std::string& text) {
    if (!filter_.SetText(text)) return false;
    Choose();
    return true;
}

void ServiceRows::Choose() {
    rows_.clear();
    for (uint32_t entry = 0; entry < cells_.size(); ++entry) {
        if (filter_.Active() && !foldedValid_[entry]) {
            folded_[entry] = filter_.FoldNames(cells_[entry][kColName].c_str(),
                                               cells_[entry][kColDescription].c_str());
            foldedValid_[entry] = true;
        }
        if (filter_.KeepsFolded(folded_[entry])) rows_.push_back(entry);
    }
    Order();
}

void ServiceRows::SortBy(int slot) {
    if (slot < 0 || slot >= kColumnCount) return;
    std::vector<std::string> texts;
    texts.reserve(rows_.size());
    for (uint32_t entry : rows_) texts.push_back(Cell(entry, slot));
    sortSlot_ = slot;
    descending_ = SortDescending(texts);
    Order();
}

void ServiceRows::Order() {
    if (sortSlot_ >= 0) {
        std::vector<std::string> texts;
        texts.reserve(rows_.size());
        for (uint32_t entry : rows_) texts.push_back(Cell(entry, sortSlot_));
        std::vector<int> order = SortOrder(texts, descending_);
        std::vector<uint32_t> sorted;
        sorted.reserve(rows_.size());
        for (int i : order) sorted.push_back(rows_[static_cast<size_t>(i)]);
        rows_.swap(sorted);
    }
    std::fill(rowOf_.begin(), rowOf_.end(), -1);
    for (size_t row = 0; row < rows_.size(); ++row) rowOf_[rows_[row]] = static_cast<int>(row);
}

int ServiceRows::RowOf(uint32_t entry) const {
    return entry < rowOf_.size() ? rowOf_[entry] : -1;
}

std::vector<std::string> ServiceRows::Line(size_t row, const ListColumns& columns) const {
    std::vector<std::string> line;
    for (int slot = 0; slot < kColumnCount; ++slot)
        if (columns.visible[slot]) line.push_back(Cell(rows_[row], slot));
    return line;
}

int ServiceRows::FindRow(const std::string& prefix, size_t start) const {
    const CaseFold& fold = filter_.Fold();
    std::string folded = fold.Fold(prefix);
    for (size_t i = 0; i < rows_.size(); ++i) {
        size_t row = (start + i) % rows_.size();
        const std::string& name = Cell(rows_[row], kColName);
        if (fold.Fold(name.substr(0, prefix.size())) == folded) return static_cast<int>(row);
    }
    return -1;
}

int CommandRow(int focused, bool focusedSelected, int firstSelected) {
    return focused >= 0 && focusedSelected ? focused : firstSelected;
}
