#pragma once
// What the history viewer lists, decided without a window: the selected
// lines of one machine and span of days that are shown (changes of every
// service or of one, with or without the session and connection lines
// around them), the texts of their five columns, and the widest text of
// each column.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "monitor/HistoryLog.h"
#include "platform/TextSource.h"

enum class HistoryRowType : uint32_t { Change = 0, Session = 1, Connection = 2 };

struct HistoryRow {
    LogLine line;
    HistoryRowType type;
};

struct HistoryFilter {
    std::string machine;
    platform::LocalDateTime from, to;  // days: their times do not count
    std::string service;               // empty: every service
    bool hideSessions = false;
};

class HistoryRows {
public:
    static constexpr int kColumns = 5;

    HistoryRows(HistoryLog& log, platform::TextSource& texts) : log_(log), texts_(texts) {}

    // Selects again; the rows are views into the log's loaded file.
    void Select(const HistoryFilter& filter);
    size_t Count() const { return rows_.size(); }
    const HistoryRow& At(size_t index) const { return rows_[index]; }
    size_t ChangeCount() const { return changes_; }
    // A cell's text, in `*text` (reused between calls).
    void CellText(size_t row, int column, std::string* text);
    // Per column, the widest of its texts by `width`.
    std::array<int, kColumns> WidestTexts(const std::function<int(std::string_view)>& width);

private:
    const std::string& Text(unsigned id);
    void ChangeCell(LogLine line, int column, std::string* text);

    HistoryLog& log_;
    platform::TextSource& texts_;
    std::vector<HistoryRow> rows_;
    size_t changes_ = 0;
    std::unordered_map<unsigned, std::string> textOf_;
    std::vector<LogLine> selected_;
};
