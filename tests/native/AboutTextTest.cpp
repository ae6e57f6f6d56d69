#include <gtest/gtest.h>

#include "tests/fakes/FakeModules.h"
#include "views/AboutText.h"

namespace {

TEST(AboutTextTest, TheVersionTextJoinsTheItemsWithReleaseForAnEmptyBuild) {
    fake::Modules modules;
    fake::ModuleFile& m = modules.files["D:\\es.dll"];
    m.versionStrings = {{"040904e4\\FileDescription", "Textos"},
                        {"040904e4\\InternalName", "Vantorel"},
                        {"040904e4\\FileVersion", "2, 1, 3, 0"},
                        {"040904e4\\LegalCopyright", "(C) Quorvex"}};
    EXPECT_EQ(AboutVersionText(FileVersionInfo(modules, "D:\\es.dll"), "Release"),
              "Textos\n\nVantorel  v2, 1, 3, 0  Release\n(C) Quorvex\n\nEnglish (United States)");
    m.versionStrings["040904e4\\SpecialBuild"] = "beta 2";
    EXPECT_EQ(AboutVersionText(FileVersionInfo(modules, "D:\\es.dll"), "Release"),
              "Textos\n\nVantorel  v2, 1, 3, 0  beta 2\n(C) Quorvex\n\nEnglish (United States)");
}

TEST(AboutTextTest, OnlyAWebAddressIsOpenedAsTheWebLink) {
    EXPECT_TRUE(IsWebAddress("http://www.palvane.example/"));
    EXPECT_TRUE(IsWebAddress("https://www.palvane.example/"));
    EXPECT_FALSE(IsWebAddress(""));
    EXPECT_FALSE(IsWebAddress("http:/"));
    EXPECT_FALSE(IsWebAddress("HTTP://upper.example/"));
    EXPECT_FALSE(IsWebAddress("file://c:/windows/system32/calc.exe"));
    EXPECT_EQ(DonationLink().find("/cgi-bin/webscr?cmd=_xclick&business="),
              DonationLink().find('/', 8));
    EXPECT_NE(DonationLink().find("&no_note=1&currency_code=EUR&tax=0"), std::string::npos);
    EXPECT_EQ(MailLink().rfind("mailto:", 0), 0u);
}

}  // namespace
