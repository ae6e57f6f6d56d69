// The filter typed over the services: what it keeps in the user's code
// page, the rows it leaves the list in their order, the row a command acts
// on, and what the status bar says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/fakes/FakeCodePage.h"
#include "tests/fakes/FakeScm.h"
#include "views/ServiceFilter.h"
#include "views/ServiceRows.h"

namespace {

TEST(ServiceFilterTest, CaseIsIgnoredAsTheCodePageFoldsIt) {
    fake::CodePage codePage;
    ServiceFilter filter(codePage);
    EXPECT_EQ(codePage.lowerCalls, 1) << "the folding is read once, for every byte";
    filter.SetText("\xC9T\xC9");  // "ÉTÉ"
    EXPECT_TRUE(filter.Keeps("\xE9t\xE9-svc", ""));
    EXPECT_TRUE(filter.Keeps("x", "Servicio de \xC9T\xC9"));
    EXPECT_FALSE(filter.Keeps("ete", "ETE"));  // the accents are letters of their own
    filter.SetText("\x8A");                    // Š and š are a pair of the code page
    EXPECT_TRUE(filter.Keeps("\x9A", nullptr));
    filter.SetText("Spooler");
    EXPECT_TRUE(filter.Keeps("spooler", nullptr));
    EXPECT_TRUE(filter.Keeps("x", "Print SPOOLER service"));
    EXPECT_EQ(codePage.lowerCalls, 1) << "a byte's fold is never asked again";
}

TEST(ServiceFilterTest, EveryCharacterIsItselfAndTheTwoNamesAreApart) {
    fake::CodePage codePage;
    ServiceFilter filter(codePage);
    EXPECT_FALSE(filter.Active());
    EXPECT_TRUE(filter.Keeps("anything", nullptr));
    EXPECT_TRUE(filter.SetText("sv*"));
    EXPECT_FALSE(filter.SetText("sv*")) << "the same text changes nothing";
    EXPECT_FALSE(filter.Keeps("svc1", "svchost"));
    EXPECT_TRUE(filter.Keeps("sv*x", nullptr));
    filter.SetText("50%");
    EXPECT_FALSE(filter.Keeps("500", "50"));
    EXPECT_TRUE(filter.Keeps("x", "Load 50% max"));
    filter.SetText("a_b?");
    EXPECT_FALSE(filter.Keeps("axb!", "aXb?"));
    EXPECT_TRUE(filter.Keeps("A_B?c", nullptr));
    filter.SetText("%s%d");  // a format would read arguments that are not there
    EXPECT_TRUE(filter.Keeps("x%S%Dx", nullptr));
    // No text spans the end of one name and the start of the other.
    filter.SetText("bc");
    EXPECT_FALSE(filter.Keeps("ab", "cd"));
    EXPECT_TRUE(filter.Keeps("ab", "bcd"));
    filter.SetText("");
    EXPECT_FALSE(filter.Active());
    EXPECT_TRUE(filter.Keeps("ab", "cd"));
}

// In a code page of two bytes per character a trail byte may be an ASCII
// letter's byte: it is never folded, and no match begins on it.
TEST(ServiceFilterTest, ATrailByteIsNeitherFoldedNorTheStartOfAMatch) {
    fake::CodePage codePage;
    codePage.UseDoubleBytes();
    CaseFold fold(codePage);
    EXPECT_EQ(codePage.lowerCalls, 0) << "no table for such a code page";
    EXPECT_EQ(fold.Fold("AB\x83\x41Z"), "ab\x83\x41z");
    EXPECT_FALSE(fold.Contains("x\x83\x41", "\x41"));
    EXPECT_FALSE(fold.Contains("\x83\x41\x83", "\x41\x83"));
    EXPECT_TRUE(fold.Contains("x\x83\x41", "\x83\x41"));
    EXPECT_TRUE(
        fold.Contains("\x83\x41"
                      "a",
                      "a"));
    ServiceFilter filter(codePage);
    filter.SetText("A");
    EXPECT_FALSE(filter.Keeps("\x83\x41", "\x83\x41\x83\x41"));
    EXPECT_TRUE(
        filter.Keeps("\x83\x41"
                     "A",
                     nullptr));
}

TEST(ServiceFilterTest, TheCountSaysHowManyAreShownOfHowMany) {
    fake::Texts texts;
    texts.strings[IDS_SERVICE_COUNT] = "%s servicios";
    texts.strings[IDS_SERVICE_COUNT_FILTERED] = "%s de %s servicios";
    EXPECT_EQ(ServiceCountText(texts, 3000, 3000, false), "3000 servicios");
    EXPECT_EQ(ServiceCountText(texts, 12, 3000, true), "12 de 3000 servicios");
    EXPECT_EQ(ServiceCountText(texts, 0, 3000, true), "0 de 3000 servicios");
    // A language module's text is data: a stray conversion stays as written.
    texts.strings[IDS_SERVICE_COUNT_FILTERED] = "%d %s/%s %s";
    EXPECT_EQ(ServiceCountText(texts, 1, 2, true), "%d 1/2 ");
}

class ServiceRowsTest : public ::testing::Test {
protected:
    void Fill(const std::vector<std::pair<std::string, std::string>>& services) {
        rows.Reset(services.size());
        for (uint32_t i = 0; i < services.size(); ++i) {
            rows.SetCell(i, kColName, services[i].first);
            rows.SetCell(i, kColDescription, services[i].second);
            rows.SetCell(i, kColState, i % 2 ? "Parado" : "Iniciado");
        }
        rows.Choose();
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (size_t row = 0; row < rows.Count(); ++row)
            names.push_back(rows.Cell(rows.EntryOf(row), kColName));
        return names;
    }

    fake::CodePage codePage;
    ServiceRows rows{codePage};
};

TEST_F(ServiceRowsTest, TheFilterKeepsItsRowsInTheOrderOfTheLastSort) {
    Fill({{"Web", "Servidor web"}, {"Alpha", "Primero"}, {"Disk", "Disco"}, {"Webmail", "Correo"}});
    EXPECT_EQ(Names(), (std::vector<std::string>{"Web", "Alpha", "Disk", "Webmail"}));
    rows.SortBy(kColName);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "Disk", "Web", "Webmail"}));
    rows.SortBy(kColName);  // ascending already: descending
    EXPECT_EQ(Names(), (std::vector<std::string>{"Webmail", "Web", "Disk", "Alpha"}));

    EXPECT_TRUE(rows.SetFilter("WEB"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Webmail", "Web"}));
    EXPECT_EQ(rows.RowOf(1), -1) << "a row the filter hides is no row";
    EXPECT_EQ(rows.RowOf(0), 1);
    EXPECT_EQ(rows.RowOf(99), -1) << "an entry the list no longer has";
    EXPECT_TRUE(rows.SetFilter("co"));  // "Disco" and "Correo"
    EXPECT_EQ(Names(), (std::vector<std::string>{"Webmail", "Disk"}));
    // A rebuild keeps the filter and the order.
    Fill({{"Web", "Servidor web"}, {"Disco2", ""}, {"Disk", "Disco"}, {"Webmail", "Correo"}});
    EXPECT_EQ(Names(), (std::vector<std::string>{"Webmail", "Disk", "Disco2"}));
    rows.SortBy(kColState);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Disk", "Webmail", "Disco2"}));
    EXPECT_EQ(rows.Line(0, ListColumns::FromMask(5)),
              (std::vector<std::string>{"Disk", "Iniciado"}));
    EXPECT_TRUE(rows.SetFilter(""));
    EXPECT_EQ(rows.Count(), 4u);
}

TEST_F(ServiceRowsTest, NamesAreFoldedOnceWhateverIsTyped) {
    fake::CodePage doubleBytes;
    doubleBytes.UseDoubleBytes();  // every fold is a call
    ServiceRows many(doubleBytes);
    many.Reset(3000);
    for (uint32_t i = 0; i < 3000; ++i) {
        many.SetCell(i, kColName, "Svc" + std::to_string(i));
        many.SetCell(i, kColDescription, "Servicio " + std::to_string(i));
    }
    many.Choose();
    EXPECT_EQ(doubleBytes.lowerCalls, 0) << "no filter, no folding";
    many.SetFilter("s");
    int afterFirst = doubleBytes.lowerCalls;
    for (const char* typed : {"sv", "svc", "svc1", "svc12", "svc1", "svc"}) many.SetFilter(typed);
    EXPECT_EQ(doubleBytes.lowerCalls - afterFirst, 6) << "only each new text is folded";
    EXPECT_EQ(many.Count(), 3000u);
    many.SetFilter("vc29");
    EXPECT_EQ(many.Count(), 111u);  // 29, 290 to 299 and 2900 to 2999
    // A renamed service is folded again.
    many.SetCell(5, kColDescription, "VC29 again");
    many.Choose();
    EXPECT_EQ(many.Count(), 112u);
}

TEST_F(ServiceRowsTest, TypingInTheListFindsTheNextRowWhoseNameBeginsSo) {
    Fill({{"Web", ""},
          {"alpha", ""},
          {"\xC9"
           "cole",
           ""},
          {"Webmail", ""}});
    EXPECT_EQ(rows.FindRow("WE", 0), 0);
    EXPECT_EQ(rows.FindRow("we", 1), 3);
    EXPECT_EQ(rows.FindRow("web", 3), 3);
    EXPECT_EQ(rows.FindRow("webm", 0), 3);
    EXPECT_EQ(rows.FindRow("\xE9", 0), 2);
    EXPECT_EQ(rows.FindRow("x", 0), -1);
    rows.SetFilter("mail");
    EXPECT_EQ(rows.FindRow("w", 0), 0) << "rows, not entries";
}

TEST(CommandRowTest, TheFocusedSelectedRowElseTheFirstSelected) {
    EXPECT_EQ(CommandRow(3, false, -1), -1);
    EXPECT_EQ(CommandRow(-1, false, -1), -1);
    EXPECT_EQ(CommandRow(5, true, 2), 5);
    EXPECT_EQ(CommandRow(4, false, 2), 2);
    EXPECT_EQ(CommandRow(-1, false, 7), 7);
}

}  // namespace
