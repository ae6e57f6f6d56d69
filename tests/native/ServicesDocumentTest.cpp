#include <gtest/gtest.h>

#include <memory>

#include "document/ServicesDocument.h"
#include "document/SnapshotFile.h"
#include "document/SnapshotSave.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

class ServicesDocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Web", "Web server", sc::kRunning);
        scm.Add("Print", "Printing", sc::kStopped);
        scm.Add("Disk", "Disk", sc::kRunning).status.serviceType = sc::kTypeKernelDriver;
        scm.AddMachine("server1");
        texts.strings[IDS_ERROR_LOADING_SERVICES] = "Loading failed";
        texts.strings[IDS_DEFAULT_OPTIONS_NOTICE] = "Defaults used";
    }
    void Configure(const char* name, uint32_t value) {
        registry.PutDword(std::string(settings::kRootPath) + "\\Configuration", name, value);
    }

    fake::Scm scm;
    fake::Registry registry;
    fake::Texts texts;
    fake::Clock clock;
    ServicesDocument doc{scm, registry, texts, clock};
};

TEST_F(ServicesDocumentTest, NewDocumentLoadsTheLocalMachineWithTheStoredFilters) {
    Configure("Driver", 1);
    Configure("Win32", 0);
    EXPECT_EQ(doc.NewDocument(), ServicesDocument::kNewLoaded);
    EXPECT_EQ(doc.title, "localhost");
    EXPECT_EQ(doc.currentList.GetCount(), 1u);
    EXPECT_STREQ(doc.currentList.EntryAt(0)->name, "Disk");
    EXPECT_TRUE(doc.referenceValid);
    EXPECT_EQ(doc.referenceList.GetCount(), 1u);
    EXPECT_EQ(doc.openMode, ServicesDocument::kNew);
    EXPECT_EQ(doc.lastErrorText, "");
}

TEST_F(ServicesDocumentTest, SettingsThatSelectNothingFallBackToTheDefaultsWithANotice) {
    Configure("Active", 0);
    Configure("Inactive", 0);
    EXPECT_EQ(doc.NewDocument(), ServicesDocument::kNewLoadedWithDefaults);
    EXPECT_EQ(doc.lastErrorText, "Loading failed\nDefaults used");
    EXPECT_EQ(doc.currentList.GetCount(), 2u);
    EXPECT_EQ(doc.currentList.active, 1u);
    EXPECT_EQ(doc.currentList.inactive, 1u);
}

TEST_F(ServicesDocumentTest, ANewDocumentThatCannotLoadAtAllReportsTheSystemsReason) {
    scm.Fail(fake::Call::OpenSCManager, 5);
    EXPECT_EQ(doc.NewDocument(), ServicesDocument::kNewFailed);
    EXPECT_EQ(doc.lastErrorText, "Loading failed\nSystem message 5.\r\n");
    EXPECT_FALSE(doc.referenceValid);
}

TEST_F(ServicesDocumentTest, MachineNamesAreTrimmedLowerCasedAndLocalhostIsTheLocalMachine) {
    EXPECT_EQ(ServicesDocument::MachineName("  LOCALHOST "), "");
    EXPECT_EQ(ServicesDocument::MachineName("Server1\t"), "server1");
    EXPECT_EQ(ServicesDocument::MachineName("   "), "");
    EXPECT_EQ(ServicesDocument::MachineName(""), "");

    ASSERT_TRUE(doc.OpenDocument("LocalHost "));
    EXPECT_EQ(doc.currentList.GetMachineName(), nullptr);
    EXPECT_EQ(doc.title, "localhost");
    ASSERT_TRUE(doc.OpenDocument(" SERVER1"));
    EXPECT_STREQ(doc.currentList.GetMachineName(), "server1");
    EXPECT_EQ(doc.title, "server1");
    EXPECT_EQ(doc.openMode, ServicesDocument::kOpen);

    // A machine's dots are not an extension, and a path's folders are not
    // part of the name.
    scm.AddMachine("srv.example.com");
    ASSERT_TRUE(doc.OpenDocument("Srv.Example.COM"));
    EXPECT_STREQ(doc.currentList.GetMachineName(), "srv.example.com");
    EXPECT_EQ(doc.title, "srv.example.com");
    ASSERT_TRUE(doc.OpenDocument("C:\\machines\\srv.example.com "));
    EXPECT_STREQ(doc.currentList.GetMachineName(), "srv.example.com");
}

// F5 reads the machine shown again, with the filters it was read with.
TEST_F(ServicesDocumentTest, AReloadReadsTheSameMachineWithTheSameFilters) {
    Configure("Driver", 1);
    ASSERT_TRUE(doc.OpenDocument("server1"));
    ASSERT_EQ(doc.currentList.GetCount(), 3u);
    scm.Add("Late", "Late arrival", sc::kRunning);
    std::unique_ptr<MachineOpening> opening = doc.StartReload();
    opening->Run();
    ASSERT_TRUE(doc.FinishOpening(*opening)) << doc.lastErrorText;
    EXPECT_STREQ(doc.currentList.GetMachineName(), "server1");
    EXPECT_EQ(doc.title, "server1");
    EXPECT_EQ(doc.currentList.GetCount(), 4u) << "the driver and the new service too";
}

TEST_F(ServicesDocumentTest, OpeningTheSameMachineTwiceReloadsItEachTime) {
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    scm.Add("Late", "Late arrival", sc::kRunning);
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    EXPECT_EQ(doc.currentList.GetCount(), 3u);
}

// The machine shown, and watched, stays until another one is open.
TEST_F(ServicesDocumentTest, AFailedOpenKeepsThePreviousMachineAndHasNoFallback) {
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    uint32_t generation = doc.currentList.Generation();
    EXPECT_FALSE(doc.OpenDocument("nowhere"));
    EXPECT_EQ(doc.lastErrorText, "Loading failed\nSystem message 1722.\r\n");
    EXPECT_EQ(doc.currentList.GetMachineName(), nullptr);
    EXPECT_EQ(doc.currentList.GetCount(), 2u);
    EXPECT_EQ(doc.currentList.Generation(), generation) << "the rows still stand for their entries";
    EXPECT_EQ(doc.title, "localhost");
    EXPECT_TRUE(doc.referenceValid);
    EXPECT_TRUE(doc.CompareWithReference());

    // An opening given up is never finished: nothing of it reaches the document.
    std::unique_ptr<MachineOpening> abandoned = doc.StartOpening("server1");
    abandoned->Run();
    EXPECT_TRUE(abandoned->Succeeded());
    abandoned.reset();
    EXPECT_EQ(doc.currentList.GetMachineName(), nullptr);
    EXPECT_EQ(doc.currentList.Generation(), generation);
}

TEST_F(ServicesDocumentTest, TheReferenceTakesTheCurrentOptionsWhenRefreshed) {
    Configure("Active", 0);
    ASSERT_TRUE(doc.OpenDocument("server1"));
    EXPECT_STREQ(doc.referenceList.GetMachineName(), "server1");
    EXPECT_EQ(doc.referenceList.active, 0u);
    scm.Fail(fake::Call::OpenSCManager, 1722, "", 1);
    EXPECT_FALSE(doc.RefreshReference());
    EXPECT_FALSE(doc.referenceValid);
    EXPECT_TRUE(doc.RefreshReference());
}

TEST_F(ServicesDocumentTest, ComparingWithTheReferenceUsesTheStoredCompareType) {
    EXPECT_FALSE(doc.CompareWithReference());  // nothing loaded: no valid reference
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    scm.Get("Web")->status.checkPoint = 7;
    ASSERT_TRUE(doc.CompareWithReference());  // no value stored: every field
    ASSERT_EQ(doc.GetChangeCount(), 1);
    EXPECT_EQ(doc.GetChange(0)->kind, CheckPointChanged);

    // Without a settings key only the state counts; the reference stays as loaded.
    registry.deniedKeys.insert(std::string(settings::kRootPath) + "\\Configuration");
    ASSERT_TRUE(doc.CompareWithReference());
    EXPECT_EQ(doc.GetChangeCount(), 0);
    scm.Get("Print")->status.currentState = sc::kRunning;
    ASSERT_TRUE(doc.CompareWithReference());
    ASSERT_EQ(doc.GetChangeCount(), 1);
    EXPECT_EQ(doc.GetChange(0)->newState, sc::kRunning);
}

TEST_F(ServicesDocumentTest, AComparisonThatCannotLoadKeepsTheRecordsItHad) {
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    scm.Add("Late", "Late arrival", sc::kRunning);
    ASSERT_TRUE(doc.CompareWithReference());
    ASSERT_EQ(doc.GetChangeCount(), 1);
    scm.Fail(fake::Call::OpenSCManager, 1722, "", 1);
    EXPECT_FALSE(doc.CompareWithReference());
    EXPECT_EQ(doc.lastErrorText, "Loading failed");
    EXPECT_EQ(doc.GetChangeCount(), 1);
    EXPECT_TRUE(doc.referenceValid);

    scm.Fail(fake::Call::OpenSCManager, 1722, "", 1);
    EXPECT_FALSE(doc.RefreshReference());
    EXPECT_FALSE(doc.CompareWithReference());
    EXPECT_EQ(doc.lastErrorText, "");
    EXPECT_EQ(doc.GetChangeCount(), 1);
}

class SnapshotSaveTest : public ServicesDocumentTest {
protected:
    void SetUp() override {
        ServicesDocumentTest::SetUp();
        texts.strings[IDS_ERROR_SAVING_SERVICES] = "Saving to %s failed";
        files.AddFolder("C:\\snaps\\");
        files.Put(kPath, "the old snapshot");
        ASSERT_TRUE(doc.OpenDocument("localhost"));
    }
    static constexpr const char* kPath = "C:\\snaps\\services.rpt";
    fake::FileSystem files;
    fake::LocaleTime locale;
};

TEST_F(SnapshotSaveTest, ASavedSnapshotReplacesTheOldFileAndLeavesNothingElse) {
    scm.Get("Web")->status.currentState = sc::kStopped;  // after the load: not in the reference
    ASSERT_TRUE(doc.SaveSnapshot(files, locale, kPath)) << doc.lastErrorText;
    EXPECT_EQ(doc.openMode, ServicesDocument::kSaveSnapshot);
    EXPECT_EQ(doc.lastErrorText, "");
    std::string saved = files.Get(kPath);
    EXPECT_NE(saved.find("[Web]"), std::string::npos);
    EXPECT_NE(saved.find("\r\n"), std::string::npos);
    EXPECT_EQ(files.files.size(), 1u);
    ServiceEntryArray array;
    SnapshotFile reader;
    ASSERT_TRUE(reader.Parse(array, saved.data(), saved.size()));
    EXPECT_EQ(array.GetEntry(0)->currentState, sc::kRunning);
}

TEST_F(SnapshotSaveTest, AFullDiskLeavesTheOldFileWhole) {
    files.spaceLeft = 20;
    EXPECT_FALSE(doc.SaveSnapshot(files, locale, kPath));
    EXPECT_EQ(files.Get(kPath), "the old snapshot");
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(doc.lastErrorText, "Saving to services.rpt failed\nFile system message 39.\r\n");
}

TEST_F(SnapshotSaveTest, AFailedCloseOrAReadOnlyFolderIsReportedAndChangesNothing) {
    files.failClose = true;
    EXPECT_FALSE(doc.SaveSnapshot(files, locale, kPath));
    EXPECT_EQ(files.Get(kPath), "the old snapshot");
    EXPECT_EQ(files.files.size(), 1u);

    files.failClose = false;
    files.AddFolder("C:\\locked\\", false);
    EXPECT_FALSE(doc.SaveSnapshot(files, locale, "C:\\locked\\x.rpt"));
    EXPECT_EQ(doc.lastErrorText, "Saving to x.rpt failed\nFile system message 5.\r\n");
    EXPECT_FALSE(files.Exists("C:\\locked\\x.rpt"));
}

TEST_F(SnapshotSaveTest, AFileThatIsOpenElsewhereIsNotReplaced) {
    auto holder =
        files.CreateFileA(kPath, platform::file::kGenericRead, 0, platform::file::kOpenExisting);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(doc.SaveSnapshot(files, locale, kPath));
    EXPECT_EQ(files.Get(kPath), "the old snapshot");
    EXPECT_FALSE(files.Exists(std::string(kPath) + ".new"));
    EXPECT_EQ(FileNameOf("plain.rpt"), "plain.rpt");
}

TEST_F(SnapshotSaveTest, AFileComparedWithTheReferenceGivesItsChangesAndDate) {
    ASSERT_TRUE(doc.SaveSnapshot(files, locale, kPath));
    scm.Get("Web")->status.currentState = sc::kStopped;
    ASSERT_TRUE(doc.RefreshReference());
    ASSERT_TRUE(doc.CompareWithFile(files, kPath)) << doc.lastErrorText;
    ASSERT_EQ(doc.GetChangeCount(), 1);
    EXPECT_STREQ(doc.GetChange(0)->name, "Web");
    EXPECT_EQ(doc.GetChange(0)->oldState, sc::kRunning);
    EXPECT_EQ(doc.GetChange(0)->newState, sc::kStopped);
    EXPECT_EQ(doc.GetChangeDate().empty(), false);
    EXPECT_NE(files.Get(kPath).find("Date = " + doc.GetChangeDate() + "\r\n"), std::string::npos);
}

TEST_F(SnapshotSaveTest, AFileThatCannotBeComparedSaysWhyWhenTheFileLayerKnows) {
    texts.strings[IDS_ERROR_COMPARING_FILE] = "Comparing with %s failed";
    EXPECT_FALSE(doc.CompareWithFile(files, "C:\\snaps\\missing.rpt"));
    EXPECT_EQ(doc.lastErrorText, "Comparing with missing.rpt failed\nFile system message 2.\r\n");

    ASSERT_TRUE(doc.SaveSnapshot(files, locale, kPath));
    files.failReads = true;
    EXPECT_FALSE(doc.CompareWithFile(files, kPath));
    EXPECT_EQ(doc.lastErrorText.rfind("Comparing with services.rpt failed\nFile system message", 0),
              0u)
        << doc.lastErrorText;

    // Taken with other options: no reason beyond the comparison itself.
    files.failReads = false;
    Configure("Driver", 1);
    ASSERT_TRUE(doc.OpenDocument("localhost"));
    EXPECT_FALSE(doc.CompareWithFile(files, kPath));
    EXPECT_EQ(doc.lastErrorText, "Comparing with services.rpt failed");
    EXPECT_EQ(doc.changes.GetLastError(), kChangeErrOptions);
}

}  // namespace
