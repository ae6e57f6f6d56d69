#include "monitor/HistoryRows.h"

#include <algorithm>

#include "document/ChangeList.h"
#include "res/resource.h"

// A change line shows when no service is chosen or it is of the chosen one;
// session starts and connections unless they are hidden, whatever the
// service; session ends never.
void HistoryRows::Select(const HistoryFilter& filter) {
    rows_.clear();
    changes_ = 0;
    log_.SelectLines(&selected_, filter.machine, filter.from, filter.to);
    for (LogLine line : selected_) {
        if (HistoryLog::IsChange(line)) {
            size_t bar = line.rfind('|');
            LogLine name = bar == LogLine::npos ? LogLine() : line.substr(bar + 1);
            if (!filter.service.empty() && name != filter.service) continue;
            rows_.push_back({line, HistoryRowType::Change});
            ++changes_;
        } else if (!filter.hideSessions && HistoryLog::IsSessionStart(line)) {
            rows_.push_back({line, HistoryRowType::Session});
        } else if (!filter.hideSessions && HistoryLog::IsConnected(line)) {
            rows_.push_back({line, HistoryRowType::Connection});
        }
    }
    selected_.clear();
}

const std::string& HistoryRows::Text(unsigned id) {
    auto found = textOf_.find(id);
    if (found == textOf_.end())
        found = textOf_.emplace(id, id != 0 ? texts_.Text(id) : std::string()).first;
    return found->second;
}

namespace {
// The text after the line's first bar.
LogLine AfterFirstBar(LogLine line) {
    size_t bar = line.find('|');
    return bar == LogLine::npos ? LogLine() : line.substr(bar + 1);
}
}  // namespace

void HistoryRows::ChangeCell(LogLine line, int column, std::string* text) {
    int32_t kind = 0, oldState = 0, newState = 0;
    switch (column) {
        case 1:
            if (HistoryLog::GetKind(line, &kind)) *text = Text(ChangeKindTextId(kind));
            break;
        case 2: {
            size_t bar = line.rfind('|');
            if (bar != LogLine::npos) text->assign(line.substr(bar + 1));
            break;
        }
        default:
            if (HistoryLog::GetStates(line, &oldState, &newState))
                *text = Text(HistoryLog::StateNameId(column == 3 ? oldState : newState));
            break;
    }
}

void HistoryRows::CellText(size_t index, int column, std::string* text) {
    text->clear();
    if (index >= rows_.size()) return;
    const HistoryRow& row = rows_[index];
    if (column == 0) {
        size_t bar = row.line.find('|');
        if (bar != LogLine::npos && bar > 0) text->assign(row.line.substr(1, bar - 1));
        return;
    }
    if (row.type == HistoryRowType::Change) return ChangeCell(row.line, column, text);
    if (column != 1) return;
    if (row.type == HistoryRowType::Session) {
        *text = Text(IDS_HISTORY_SESSION);
        *text += " - ";
    } else {
        *text = Text(IDS_HISTORY_CONNECTED);
    }
    text->append(AfterFirstBar(row.line));
}

// Texts that repeat (kinds, states) are measured once each; the others are
// measured where they lie in the file, without a copy.
std::array<int, HistoryRows::kColumns> HistoryRows::WidestTexts(
    const std::function<int(std::string_view)>& width) {
    std::array<int, kColumns> widest{};
    auto widen = [&](int column, std::string_view text) {
        if (!text.empty()) widest[column] = std::max(widest[column], width(text));
    };
    // A handful of distinct ids among thousands of rows: a short list
    // searched from its end beats a tree.
    std::vector<unsigned> kinds, states;
    auto note = [](std::vector<unsigned>& seen, unsigned id) {
        if (std::find(seen.rbegin(), seen.rend(), id) == seen.rend()) seen.push_back(id);
    };
    std::string text;
    LogLine previousStamp;
    for (size_t index = 0; index < rows_.size(); ++index) {
        const HistoryRow& row = rows_[index];
        size_t bar = row.line.find('|');
        // Neighbouring records often share their second.
        LogLine stamp = bar != LogLine::npos && bar > 0 ? row.line.substr(1, bar - 1) : LogLine();
        if (stamp != previousStamp) widen(0, stamp);
        previousStamp = stamp;
        if (row.type != HistoryRowType::Change) {
            CellText(index, 1, &text);
            widen(1, text);
            continue;
        }
        HistoryLog::ChangeNumbers numbers = HistoryLog::ReadChangeNumbers(row.line);
        if (numbers.hasKind) note(kinds, ChangeKindTextId(numbers.kind));
        size_t last = row.line.rfind('|');
        if (last != LogLine::npos) widen(2, row.line.substr(last + 1));
        if (numbers.hasStates) {
            note(states, HistoryLog::StateNameId(numbers.oldState) * 2);
            note(states, HistoryLog::StateNameId(numbers.newState) * 2 + 1);
        }
    }
    for (unsigned id : kinds) widen(1, Text(id));
    // Each state id twice over: which column it was seen in is its last bit.
    for (unsigned both : states) widen(3 + static_cast<int>(both & 1), Text(both / 2));
    return widest;
}
