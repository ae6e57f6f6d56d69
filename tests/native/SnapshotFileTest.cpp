#include <gtest/gtest.h>

#include <cstring>

#include "document/SnapshotFile.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeScm.h"

namespace pf = platform::file;
namespace sc = platform::scm;

namespace {

class SnapshotFileTest : public ::testing::Test {
protected:
    std::string WriteList() {
        EXPECT_TRUE(list.Enumerate());
        auto file = fs.CreateFileA("C:\\s.rpt", pf::kGenericWrite, 0, pf::kCreateAlways);
        EXPECT_TRUE(writer.Write(list, *file));
        file.reset();
        return fs.Get("C:\\s.rpt");
    }
    bool ReadText(const std::string& text) {
        fs.Put("C:\\r.rpt", text);
        auto file =
            fs.CreateFileA("C:\\r.rpt", pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
        return reader.Read(array, *file);
    }
    const ServiceEntry& At(int i) {
        static ServiceEntry none{};
        const ServiceEntry* e = array.GetEntry(i);
        EXPECT_NE(e, nullptr) << "slot " << i;
        return e != nullptr ? *e : none;
    }

    fake::Scm scm;
    fake::FileSystem fs;
    fake::LocaleTime time;
    ServiceList list{scm};
    SnapshotFile writer{time};
    SnapshotFile reader;
    ServiceEntryArray array;
};

TEST_F(SnapshotFileTest, WritesTheHeaderAndTenLinesPerServiceWithCrLf) {
    fake::Service& spooler = scm.Add("Spooler", "Print Spooler", sc::kRunning);
    spooler.status.serviceSpecificExitCode = 4294967295u;
    spooler.status.waitHint = 2000;
    scm.Add("Dnscache", "", sc::kStopped);
    list.driver = 1;

    EXPECT_EQ(WriteList(),
              "Machine = localhost\r\n"
              "Date = 06/12/2026 22:31:11\r\n"
              "Active = 1\r\nInactive = 1\r\nWin32 = 1\r\nDriver = 1\r\nAccessType = 983103\r\n"
              "\r\n"
              "[Spooler]\r\nDisplayName = Print Spooler\r\nServiceType = 16\r\n"
              "CurrentState = 4\r\nControlsAccepted = 3\r\nWin32ExitCode = 0\r\n"
              "ServiceSpecificExitCode = 4294967295\r\nCheckPoint = 0\r\nWaitHint = 2000\r\n"
              "\r\n"
              "[Dnscache]\r\nDisplayName = \r\nServiceType = 16\r\n"
              "CurrentState = 1\r\nControlsAccepted = 0\r\nWin32ExitCode = 0\r\n"
              "ServiceSpecificExitCode = 0\r\nCheckPoint = 0\r\nWaitHint = 0\r\n"
              "\r\n");
}

TEST_F(SnapshotFileTest, MachineIsLowerCasedAndTrimmedAndTheDateIsTheLocaleText) {
    scm.AddMachine(" SERVER-01\t");
    scm.Add("a", "A");
    list.SetMachineName(" SERVER-01\t");
    time.now = {2027, 1, 2, 0, 0, 0};
    std::string text = WriteList();
    EXPECT_EQ(text.rfind("Machine = server-01\r\nDate = 02/01/2027\r\n", 0), 0u) << text;

    // Blanks only: nothing is left, so it is the local machine.
    scm.AddMachine("   ");
    list.SetMachineName("   ");
    EXPECT_EQ(WriteList().rfind("Machine = localhost\r\n", 0), 0u);
}

TEST_F(SnapshotFileTest, WhatIsWrittenReadsBackAsTheSameEntriesAndHeader) {
    fake::Service& a = scm.Add("Alpha", "Servicio Alfa", sc::kPaused);
    a.status = {0x20, sc::kPaused, 3, 1066, 2147483648u, 7, 4294967295u};
    scm.Add("beta", "Beta  with  blanks", sc::kStopped).status.win32ExitCode = 1077;
    list.driver = 1;
    list.accessType = 0x80000000u;
    ASSERT_TRUE(ReadText(WriteList()));
    EXPECT_EQ(reader.GetHeader().date, "06/12/2026 22:31:11");
    EXPECT_EQ(reader.GetHeader().active, 1u);
    EXPECT_EQ(reader.GetHeader().inactive, 1u);
    EXPECT_EQ(reader.GetHeader().win32, 1u);
    EXPECT_EQ(reader.GetHeader().driver, 1u);
    EXPECT_EQ(reader.GetHeader().accessType, 0x80000000u);
    EXPECT_EQ(reader.GetHeader().machine, "");  // never read back
    EXPECT_EQ(reader.GetGaps().count, 0);
    ASSERT_EQ(array.GetCount(), static_cast<int>(list.GetCount()));
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        const ServiceEntry& want = *list.EntryAt(i);
        const ServiceEntry& got = At(static_cast<int>(i));
        EXPECT_STREQ(got.name, want.name);
        EXPECT_STREQ(got.displayName, want.displayName);
        EXPECT_EQ(std::memcmp(StatusOf(&got), StatusOf(&want), sizeof(platform::ServiceStatus)), 0)
            << want.name;
    }
}

TEST_F(SnapshotFileTest, ReaderForgivesLayoutButNotKeyCase) {
    ASSERT_TRUE(
        ReadText("  Date=  1/2/2027 10:00  \n"
                 "Active=1\nDriver = 1 ; drivers too\n"
                 "\n\n"
                 "[  first svc  ]\n"
                 "  DisplayName   =   First  one  \n"
                 "CurrentState = 4\n"
                 "currentstate = 7\n"                    // other letter case: not the key
                 "Date = ignored\n"                      // header keys end at the first section
                 "[second]\n"                            // no blank line between sections
                 "CurrentState = 2\nCurrentState = 3\n"  // the last value wins
                 "ServiceType\n"                         // no "=": not a key line
                 "WaitHint =\n"
                 "CheckPoint = -1\n"
                 "Win32ExitCode = 4294967297\n"
                 "ControlsAccepted = x12\n"
                 "ServiceSpecificExitCode = +12abc"));  // no final line end
    EXPECT_EQ(reader.GetHeader().date, "1/2/2027 10:00");
    EXPECT_EQ(reader.GetHeader().active, 1u);
    EXPECT_EQ(reader.GetHeader().driver, 1u);
    EXPECT_EQ(reader.GetHeader().inactive, 0u);
    EXPECT_EQ(reader.GetHeader().accessType, 0u);
    ASSERT_EQ(array.GetCount(), 2);
    EXPECT_STREQ(At(0).name, "first svc");
    EXPECT_STREQ(At(0).displayName, "First  one");
    EXPECT_EQ(At(0).currentState, 4u);
    EXPECT_EQ(At(0).serviceType, 0u);
    EXPECT_STREQ(At(1).name, "second");
    EXPECT_STREQ(At(1).displayName, "");
    EXPECT_EQ(At(1).currentState, 3u);
    EXPECT_EQ(At(1).waitHint, 0u);
    EXPECT_EQ(At(1).checkPoint, 4294967295u);
    EXPECT_EQ(At(1).win32ExitCode, 1u);
    EXPECT_EQ(At(1).controlsAccepted, 0u);
    EXPECT_EQ(At(1).serviceSpecificExitCode, 12u);
    // Both sections lack numbers; the second only its service type.
    EXPECT_EQ(reader.GetGaps().count, 2);
    EXPECT_EQ(reader.GetGaps().first, "first svc");
}

// A copy cut short anywhere between a section's header and its last key
// leaves a section without some numbers, whichever way its lines are read;
// whole sections before it are read as they were.
TEST_F(SnapshotFileTest, ASectionCutShortIsAGapInTheRead) {
    for (int i = 0; i < 40; ++i) scm.Add("Service" + std::to_string(i), "Some service");
    std::string whole = WriteList();
    size_t header = whole.rfind('[');
    size_t from = whole.find('\n', header) + 1, to = whole.rfind("WaitHint");
    for (size_t cut = from; cut <= to; ++cut) {
        ASSERT_TRUE(ReadText(whole.substr(0, cut)));
        EXPECT_EQ(reader.GetGaps().count, 1) << "cut at " << cut;
        EXPECT_EQ(reader.GetGaps().first, "Service39") << "cut at " << cut;
        EXPECT_EQ(array.GetCount(), 40);
    }
    ASSERT_TRUE(ReadText(whole.substr(0, whole.size() - 2)));
    EXPECT_EQ(reader.GetGaps().count, 0) << "only the closing empty line gone";
}

TEST_F(SnapshotFileTest, FileWithoutAnySectionIsRejectedAndLeavesNothing) {
    array.Allocate(3);
    EXPECT_FALSE(ReadText(""));
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_FALSE(reader.FileFailed());
    EXPECT_FALSE(
        ReadText("Machine = localhost\r\nDate = 1\r\nActive = 1\r\nInactive = 1\r\n"
                 "Win32 = 1\r\nDriver = 0\r\nAccessType = 983103\r\n\r\n"));
    EXPECT_EQ(reader.GetHeader().accessType, 983103u);  // read, but no use without sections
    EXPECT_FALSE(ReadText("[\n]\n[=]\n[ ]\nDisplayName = x\n"));
}

TEST_F(SnapshotFileTest, EmptyBracketsHideTheirKeysAndLeaveNoEmptySlot) {
    ASSERT_TRUE(
        ReadText("CurrentState = 4\nDisplayName = before\n"
                 "[a]\nCurrentState = 2\n"
                 "[]\nCurrentState = 7\nDisplayName = lost\n"
                 "[b]\nDisplayName = B\n"
                 "[   ]\nWaitHint = 9\n"));
    ASSERT_EQ(array.GetCount(), 2);
    EXPECT_STREQ(At(0).name, "a");
    EXPECT_STREQ(At(0).displayName, "");  // nothing from before the first section
    EXPECT_EQ(At(0).currentState, 2u);
    EXPECT_STREQ(At(1).name, "b");
    EXPECT_STREQ(At(1).displayName, "B");
    EXPECT_EQ(At(1).currentState, 0u);  // nothing from under the empty brackets
    EXPECT_EQ(At(1).waitHint, 0u);
}

TEST_F(SnapshotFileTest, NulEndsALineAndBinaryBytesStayInNames) {
    static const char text[] = "[a\0b]\n[\xC9t\xE9\x01]\nDisplayName = x\0y\nCurrentState = 4";
    ASSERT_TRUE(ReadText(std::string(text, sizeof text - 1)));
    // "[a" is no section once the NUL ends the line.
    ASSERT_EQ(array.GetCount(), 1);
    EXPECT_STREQ(At(0).name, "\xC9t\xE9\x01");
    EXPECT_STREQ(At(0).displayName, "x");
    EXPECT_EQ(At(0).currentState, 4u);
}

TEST_F(SnapshotFileTest, FileLayerFailuresAreReportedAsSuch) {
    scm.Add("a", "A");
    ASSERT_TRUE(list.Enumerate());
    fs.spaceLeft = 10;
    auto out = fs.CreateFileA("C:\\full.rpt", pf::kGenericWrite, 0, pf::kCreateAlways);
    EXPECT_FALSE(writer.Write(list, *out));
    EXPECT_TRUE(writer.FileFailed());
    EXPECT_EQ(fs.GetLastError(), 39u);
    EXPECT_FALSE(SnapshotFile().Write(list, *out));  // no clock to date it with

    fs.spaceLeft = -1;
    fs.Put("C:\\r.rpt", "[a]\n");
    fs.failReads = true;
    auto in = fs.CreateFileA("C:\\r.rpt", pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
    EXPECT_FALSE(reader.Read(array, *in));
    EXPECT_TRUE(reader.FileFailed());
}

}  // namespace
