// The services list as text: the two table formats, the UTF-8 a
// spreadsheet reads the accents from, the format the save dialog's choice
// gives, and a file written whole or not at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/FakeCodePage.h"
#include "tests/fakes/FakeFiles.h"
#include "views/ListExport.h"

namespace {

const std::vector<std::string> kTitles = {"Nombre", "Descripci\xF3n"};

TEST(ListExportTest, CsvQuotesEveryFieldAndTabsKeepEachRowOnItsLine) {
    TableRows rows = {{"Web", "Servidor \"web\", el de siempre"},
                      {"Multi", "Dos\r\nl\xEDneas\tcon tabulador"},
                      {"", ""}};
    EXPECT_EQ(TableText(kTitles, rows, TableFormat::kCsv),
              "\"Nombre\",\"Descripci\xF3n\"\r\n"
              "\"Web\",\"Servidor \"\"web\"\", el de siempre\"\r\n"
              "\"Multi\",\"Dos\r\nl\xEDneas\tcon tabulador\"\r\n"
              "\"\",\"\"\r\n");
    EXPECT_EQ(TableText(kTitles, rows, TableFormat::kTabs),
              "Nombre\tDescripci\xF3n\r\n"
              "Web\tServidor \"web\", el de siempre\r\n"
              "Multi\tDos  l\xEDneas con tabulador\r\n"
              "\t\r\n");
    EXPECT_EQ(TableText(kTitles, {}, TableFormat::kTabs), "Nombre\tDescripci\xF3n\r\n");
}

TEST(ListExportTest, TheCodePagesTextBecomesUtf8AfterItsMark) {
    fake::CodePage codePage;
    std::string out;
    uint32_t error = 0;
    ASSERT_TRUE(Utf8WithMark(codePage, "Descripci\xF3n \x80 5%", &out, &error));
    EXPECT_EQ(out,
              "\xEF\xBB\xBF"
              "Descripci\xC3\xB3n \xE2\x82\xAC 5%");
    ASSERT_TRUE(Utf8WithMark(codePage, "", &out, &error));
    EXPECT_EQ(out, "\xEF\xBB\xBF");
    codePage.failConversions = true;
    EXPECT_FALSE(Utf8WithMark(codePage, "x", &out, &error));
    EXPECT_EQ(error, platform::codepage::kErrorNoUnicodeTranslation);
}

TEST(ListExportTest, TheExtensionTypedDecidesElseTheFileTypeChosen) {
    EXPECT_EQ(ExportFormat("C:\\a\\lista.csv", 2), TableFormat::kCsv);
    EXPECT_EQ(ExportFormat("C:\\a\\lista.TXT", 1), TableFormat::kTabs);
    EXPECT_EQ(ExportFormat("lista.tsv", 1), TableFormat::kTabs);
    EXPECT_EQ(ExportFormat("C:\\a\\lista", 2), TableFormat::kTabs);
    EXPECT_EQ(ExportFormat("C:\\a\\lista", 1), TableFormat::kCsv);
    EXPECT_EQ(ExportFormat("C:\\a.txt\\lista", 1), TableFormat::kCsv) << "a folder's dot";
    EXPECT_EQ(ExportFormat("C:\\a\\lista.xls", 2), TableFormat::kTabs);
}

class SaveTableTest : public ::testing::Test {
protected:
    void SetUp() override { files.AddFolder("C:\\out\\"); }
    bool Save(TableFormat format = TableFormat::kCsv) {
        return SaveTable(files, codePage, kPath, kTitles, {{"Web", "Servidor"}}, format, &reason);
    }
    static constexpr const char* kPath = "C:\\out\\lista.csv";
    fake::FileSystem files;
    fake::CodePage codePage;
    std::string reason;
};

TEST_F(SaveTableTest, TheFileHoldsTheWholeTableOrIsAsItWas) {
    ASSERT_TRUE(Save()) << reason;
    EXPECT_EQ(files.Get(kPath),
              "\xEF\xBB\xBF\"Nombre\",\"Descripci\xC3\xB3n\"\r\n\"Web\",\"Servidor\"\r\n");
    EXPECT_EQ(files.files.size(), 1u) << "no temporary file left";
    ASSERT_TRUE(Save(TableFormat::kTabs));
    EXPECT_EQ(files.Get(kPath), "\xEF\xBB\xBFNombre\tDescripci\xC3\xB3n\r\nWeb\tServidor\r\n");

    // A disk that fills up, a conversion that fails: the old export stays.
    files.Put(kPath, "the old export");
    files.spaceLeft = 10;
    EXPECT_FALSE(Save());
    EXPECT_FALSE(reason.empty());
    files.spaceLeft = -1;
    codePage.failConversions = true;
    EXPECT_FALSE(Save());
    EXPECT_EQ(reason, "File system message 1113.\r\n");
    EXPECT_EQ(files.Get(kPath), "the old export");
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(SaveTableTest, AFolderThatRefusesGetsNothingAndSaysThePlatformsReason) {
    files.AddFolder("C:\\locked\\", false);
    EXPECT_FALSE(SaveTable(files, codePage, "C:\\locked\\lista.csv", kTitles, {}, TableFormat::kCsv,
                           &reason));
    EXPECT_EQ(reason, "File system message 5.\r\n");
    EXPECT_TRUE(files.files.empty());
    // A read-only file is the user's refusal too.
    files.Put(kPath, "kept");
    files.files[kPath].attributes = platform::file::kAttributeReadOnly;
    EXPECT_FALSE(Save());
    EXPECT_EQ(files.Get(kPath), "kept");
    EXPECT_EQ(files.files.size(), 1u);
}

}  // namespace
