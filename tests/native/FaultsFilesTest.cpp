// The flows on files and settings with each platform call failing in turn:
// a snapshot saved and compared, the history log's session, records and
// reading, the settings and custom actions the dialogs read and write, and
// the language module chosen at start-up. No file is left half-written, no
// record the flow called written is missing, no setting is lost, and each
// flow works again once the platform recovers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/ServicesDocument.h"
#include "document/SnapshotSave.h"
#include "monitor/HistoryLog.h"
#include "settings/CustomActions.h"
#include "settings/LanguageModule.h"
#include "settings/SettingsPages.h"
#include "settings/SettingsStore.h"
#include "tests/native/FaultSweep.h"

namespace sc = platform::scm;

namespace {

const char* kSnapshot = "C:\\snaps\\services.rpt";

struct SnapshotWorld : FaultWorld {
    SnapshotWorld() {
        machine.Add("Web", "Web server", sc::kRunning);
        machine.Add("Mail", "Mail server", sc::kStopped);
        EXPECT_EQ(doc->NewDocument(), ServicesDocument::kNewLoaded);
        disk.AddFolder("C:\\snaps\\");
    }
    // What a save on a healthy disk writes.
    std::string Whole() {
        std::string reason;
        EXPECT_TRUE(::SaveSnapshot(disk, time, doc->referenceList, "C:\\whole.rpt", &reason));
        return disk.Get("C:\\whole.rpt");
    }
    void Release() {
        doc.reset();
        CheckNothingLeftOpen();
    }
    std::unique_ptr<ServicesDocument> doc =
        std::make_unique<ServicesDocument>(scm, registry, texts, clock);
};

// The old snapshot stays whole until the new one replaces it whole.
struct SaveWorld : SnapshotWorld {
    SaveWorld() { disk.Put(kSnapshot, "the old snapshot"); }
    bool Run() { return doc->SaveSnapshot(files, time, kSnapshot); }
    void Check(bool ok) {
        EXPECT_EQ(disk.Get(kSnapshot), ok ? Whole() : "the old snapshot");
        EXPECT_EQ(ok, doc->lastErrorText.empty()) << doc->lastErrorText;
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run()) << doc->lastErrorText;
        EXPECT_EQ(disk.Get(kSnapshot), Whole());
        Release();
    }
};

// The snapshot had Web stopped; it runs now.
struct CompareWorld : SnapshotWorld {
    CompareWorld() {
        machine.Get("Web")->status.currentState = sc::kStopped;
        EXPECT_TRUE(doc->LoadServices());
        disk.Put(kSnapshot, Whole());
        machine.Get("Web")->status.currentState = sc::kRunning;
        EXPECT_TRUE(doc->LoadServices());
    }
    bool Run() { return doc->CompareWithFile(files, kSnapshot); }
    void Check(bool ok) {
        if (ok) {
            ASSERT_EQ(doc->GetChangeCount(), 1);
            EXPECT_STREQ(doc->GetChange(0)->name, "Web");
        }
        EXPECT_EQ(ok, doc->lastErrorText.empty()) << doc->lastErrorText;
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run()) << doc->lastErrorText;
        Check(true);
        Release();
    }
};

const char* kLog = "C:\\logs\\Vantorel.log";
const char* kEarlier =
    ">06/12/2026 21:00:00|Vantorel v2.1\r\n<06/12/2026 21:10:00|Vantorel v2.1\r\n";

// A session with a connection and a change, after an earlier session.
struct LogWriteWorld : FaultWorld {
    LogWriteWorld() { disk.Put(kLog, kEarlier); }
    bool Step(bool ok, const char* record) {
        if (ok) {
            written.push_back(record);
        } else {
            EXPECT_FALSE(log.GetErrorText().empty()) << record;
        }
        return ok;
    }
    // A log that could not be opened takes nothing more.
    bool Run() {
        if (!Step(log.Open(kLog, false), ">")) return false;
        bool ok = Step(log.WriteConnected("srv"), "!");
        ok = Step(log.WriteChange(48, 1, 4, "Web"), "*") && ok;
        ok = Step(log.Sync(), "") && ok;
        return Step(log.Close(), "") && ok;
    }
    void Check(bool) {
        std::string text = disk.Get(kLog);
        EXPECT_EQ(text.rfind(kEarlier, 0), 0u) << "the earlier session is kept";
        CheckRecordLines(text, closed);
        for (const std::string& record : written)
            EXPECT_NE(text.find("\n" + record), std::string::npos) << record << " lost";
    }
    void CheckRecovered() {
        written.clear();
        EXPECT_TRUE(Run());
        closed = true;
        Check(true);
        CheckNothingLeftOpen();
    }
    HistoryLog log{files, time, texts};
    std::vector<std::string> written;
    bool closed = false;  // by a Close that succeeded
};

struct LogReadWorld : FaultWorld {
    LogReadWorld() { disk.Put(kLog, std::string(kEarlier) + "!06/12/2026 21:05:00|srv\r\n"); }
    bool Run() {
        std::vector<std::string> lines;
        return log.Load(kLog) &&
               log.SelectLines(&lines, "", {2026, 12, 6, 0, 0, 0}, {2026, 12, 6, 0, 0, 0});
    }
    // A failed read keeps the whole lines read before it, never a cut one.
    void Check(bool ok) {
        if (ok) {
            EXPECT_EQ(log.Lines().size(), 3u);
        }
        for (LogLine line : log.Lines()) EXPECT_EQ(line.find('|'), 20u) << line;
        if (!ok && log.Lines().empty()) {
            EXPECT_FALSE(log.GetErrorText().empty());
        }
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run()) << log.GetErrorText();
        EXPECT_EQ(log.Lines().size(), 3u);
        CheckNothingLeftOpen();
    }
    HistoryLog log{files, time, texts};
};

TEST(FaultsTest, SnapshotSaveAndCompare) {
    EXPECT_GT(SweepFaults<SaveWorld>("snapshot save"), 0);
    EXPECT_GT(SweepFaults<CompareWorld>("snapshot compare"), 0);
}

TEST(FaultsTest, HistoryLogSessionRecordsAndReading) {
    EXPECT_GT(SweepFaults<LogWriteWorld>("history log session and records"), 0);
    EXPECT_GT(SweepFaults<LogReadWorld>("history log reading"), 0);
}

const std::string kConfig = std::string(settings::kRootPath) + "\\Configuration";

// The settings dialog's OK: values written, then read as the program does.
struct SettingsWorld : FaultWorld {
    SettingsWorld() { store.PutDword(kConfig, "CompareTimer", 5000); }
    bool Run() {
        SettingsStore settings(registry);
        bool ok = settings.Write(settings::kCompareTimer, 30000) &&
                  settings.Write(settings::kMessageBeep, 1) && settings.WriteRemoteSlot(0, "srv");
        timer = SettingsStore(registry).Read(settings::kCompareTimer);
        return ok;
    }
    // A read that fails gives the default, never another value; a write
    // reported done is stored.
    void Check(bool ok) {
        EXPECT_TRUE(timer == 30000 || timer == 5000 || timer == 60000) << timer;
        const fake::Registry::Value* stored = store.Find(kConfig, "CompareTimer");
        ASSERT_NE(stored, nullptr);
        if (ok) {
            EXPECT_EQ(SettingsStore(store).ReadRemoteSlot(0), "srv");
        }
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run());
        EXPECT_EQ(timer, 30000);
        EXPECT_EQ(SettingsStore(store).Read(settings::kMessageBeep), 1);
        CheckNothingLeftOpen();
    }
    int timer = 0;
};

// The actions page's OK over three services: Web changes, Mail is left as
// it was, Print gets its first action.
struct ActionsWorld : FaultWorld {
    ActionsWorld() {
        web.alwaysRunning = true;
        mail.disableLog = true;
        EXPECT_TRUE(WriteCustomActions(store, "Web", web));
        EXPECT_TRUE(WriteCustomActions(store, "Mail", mail));
    }
    bool Run() {
        CustomActionsCopy copy;
        copy.Load(registry);
        copy.Add("Web").actions = CustomActions{false, true, false, false};
        copy.Add("Print").actions.disableNotify = true;
        return copy.Save(registry);
    }
    void Check(bool ok) {
        CustomActions nowWeb = ReadCustomActions(store, "Web");
        EXPECT_FALSE(nowWeb.alwaysRunning && nowWeb.alwaysStopped);
        // A service the user did not touch keeps its actions, whatever the
        // reading of the others met.
        EXPECT_EQ(ReadCustomActions(store, "Mail"), mail);
        if (ok) {
            EXPECT_TRUE(nowWeb.alwaysStopped && !nowWeb.alwaysRunning);
            EXPECT_TRUE(ReadCustomActions(store, "Print").disableNotify);
        }
    }
    void CheckRecovered() {
        EXPECT_TRUE(Run());
        Check(true);
        CheckNothingLeftOpen();
    }
    CustomActions web, mail;
};

TEST(FaultsTest, SettingsAndCustomActionsReadAndWritten) {
    EXPECT_GT(SweepFaults<SettingsWorld>("settings"), 0);
    EXPECT_GT(SweepFaults<ActionsWorld>("custom actions"), 0);
}

const char* kEnglish = "D:\\lang\\english.dll";

struct LanguageWorld : FaultWorld {
    LanguageWorld() {
        texts.strings[LanguageModule::kTitleId] = "Vantorel";
        fake::ModuleFile& m = libraries.files[kEnglish];
        m.strings[LanguageModule::kTitleId] = "Vantorel";
        m.versionStrings["040904e4\\FileVersion"] = "2, 1, 3, 0";
        m.versionStrings["040904e4\\ProductName"] = "Vantorel";
        store.PutString(std::string(settings::kRootPath) + "\\Language", "", kEnglish);
    }
    bool Run() { return language.LoadAtStartup(inUse); }
    // The module, or the program's own texts with the reason; never a
    // module held that is not in use.
    void Check(bool ok) {
        if (!ok) {
            EXPECT_FALSE(language.StartupFailureMessage().empty());
        }
        if (!ok) {
            EXPECT_EQ(inUse.Module(), nullptr);
        }
        EXPECT_EQ(libraries.Loaded(), inUse.Module() ? 1 : 0);
    }
    void CheckRecovered() {
        if (inUse.Module()) libraries.FreeLibrary(inUse.Module());
        inUse.Set(nullptr, "");
        EXPECT_TRUE(Run()) << language.GetErrorText();
        EXPECT_EQ(inUse.Path(), kEnglish);
        libraries.FreeLibrary(inUse.Module());
        CheckNothingLeftOpen();
    }
    platform::TextsInUse inUse;
    LanguageModule language{registry, modules, modules, texts};
};

TEST(FaultsTest, LanguageModuleAtStartup) {
    EXPECT_GT(SweepFaults<LanguageWorld>("language module"), 0);
}

}  // namespace
