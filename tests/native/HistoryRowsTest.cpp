// The history viewer's rows: which selected lines are shown under each
// filter, the texts of their columns, and the count of changes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/HistoryLog.h"
#include "monitor/HistoryRows.h"
#include "res/resource.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeScm.h"

namespace {

class HistoryRowsTest : public ::testing::Test {
protected:
    HistoryRowsTest() {
        texts.strings[IDS_CHANGE_MODIFIED] = "Estado modificado";
        texts.strings[IDS_CHANGE_NEW_SERVICE] = "Nuevo servicio";
        texts.strings[IDS_STATE_BASE + 1] = "Parado";
        texts.strings[IDS_STATE_BASE + 4] = "Iniciado";
        texts.strings[IDS_HISTORY_SESSION] = "Sesión iniciada";
        texts.strings[IDS_HISTORY_CONNECTED] = "Conectado a: ";
        log.LoadText(
            ">05/12/2026 08:00:00|Vantorel v1.0.0.0\r\n"
            "!05/12/2026 08:00:01|localhost\r\n"
            "*05/12/2026 09:00:00|16|4|1|Spooler\r\n"
            "<05/12/2026 18:00:00|Vantorel v1.0.0.0\r\n"
            ">06/12/2026 08:00:00|Vantorel v1.0.0.0\r\n"
            "!06/12/2026 08:00:01|localhost\r\n"
            "*06/12/2026 09:00:00|16|1|4|Spooler\r\n"
            "*06/12/2026 09:00:00|1|1|4|W32Time\r\n"
            "*6.12.2026 um 9|16|1|4|Spooler\r\n"
            "!06/12/2026 10:00:00|srv02\r\n"
            "*06/12/2026 10:00:05|16|4|1|Remote\r\n");
    }
    // Every row's texts, columns joined by "|".
    std::vector<std::string> Shown(const HistoryFilter& filter) {
        rows.Select(filter);
        std::vector<std::string> shown;
        std::string text;
        for (size_t r = 0; r < rows.Count(); ++r) {
            std::string line;
            for (int c = 0; c < HistoryRows::kColumns; ++c) {
                rows.CellText(r, c, &text);
                line += (c ? "|" : "") + text;
            }
            shown.push_back(line);
        }
        return shown;
    }
    HistoryFilter Day(int from, int to) {
        HistoryFilter filter;
        filter.machine = "localhost";
        filter.from = {2026, 12, from, 0, 0, 0};
        filter.to = {2026, 12, to, 0, 0, 0};
        return filter;
    }

    fake::FileSystem files;
    fake::LocaleTime clock;
    fake::Texts texts;
    HistoryLog log{files, clock, texts};
    HistoryRows rows{log, texts};
};

TEST_F(HistoryRowsTest, ADayOfOneMachineShowsItsSessionsConnectionsAndChanges) {
    EXPECT_EQ(Shown(Day(6, 6)), (std::vector<std::string>{
                                    "06/12/2026 08:00:00|Sesión iniciada - Vantorel v1.0.0.0|||",
                                    "06/12/2026 08:00:01|Conectado a: localhost|||",
                                    "06/12/2026 09:00:00|Estado modificado|Spooler|Parado|Iniciado",
                                    "06/12/2026 09:00:00|Nuevo servicio|W32Time|Parado|Iniciado",
                                }))
        << "the line of another locale and the other machine's change are not there";
    EXPECT_EQ(rows.ChangeCount(), 2u);
    EXPECT_EQ(rows.At(0).type, HistoryRowType::Session);
    EXPECT_EQ(rows.At(1).type, HistoryRowType::Connection);
    EXPECT_EQ(rows.At(2).type, HistoryRowType::Change);
    // Two days; a "to" before "from" shows nothing.
    EXPECT_EQ(Shown(Day(5, 6)).size(), 7u) << "session ends never show";
    EXPECT_TRUE(Shown(Day(6, 5)).empty());
    EXPECT_EQ(rows.ChangeCount(), 0u);
}

TEST_F(HistoryRowsTest, HidingSessionsOrChoosingAServiceLeavesTheOtherRowsAsTheyWere) {
    HistoryFilter filter = Day(5, 6);
    filter.hideSessions = true;
    EXPECT_EQ(Shown(filter).size(), 3u);
    EXPECT_EQ(rows.ChangeCount(), 3u);
    filter.hideSessions = false;
    filter.service = "Spooler";
    std::vector<std::string> shown = Shown(filter);
    ASSERT_EQ(shown.size(), 6u) << "sessions and connections stay";
    EXPECT_EQ(rows.ChangeCount(), 2u);
    filter.service = "spooler";
    Shown(filter);
    EXPECT_EQ(rows.ChangeCount(), 0u) << "the service is compared exactly";

    // A log without connection records: every change is of the empty name.
    log.LoadText("*06/12/2026 09:00:00|16|1|4|Spooler\r\n>06/12/2026 09:10:00|V v1\r\n");
    std::vector<std::string> machines;
    log.GetMachines(&machines);
    EXPECT_TRUE(machines.empty());
    HistoryFilter none = Day(6, 6);
    none.machine = "";
    EXPECT_EQ(Shown(none).size(), 2u);
}

TEST_F(HistoryRowsTest, TheWidestTextOfEachColumnIsFound) {
    Shown(Day(6, 6));
    auto widths = rows.WidestTexts([](std::string_view text) { return int(text.size()); });
    EXPECT_EQ(widths[0], int(std::string("06/12/2026 08:00:00").size()));
    EXPECT_EQ(widths[1], int(std::string("Sesión iniciada - Vantorel v1.0.0.0").size()));
    EXPECT_EQ(widths[2], int(std::string("W32Time").size()));
    EXPECT_EQ(widths[3], int(std::string("Parado").size()));
    EXPECT_EQ(widths[4], int(std::string("Iniciado").size()));
}

}  // namespace
