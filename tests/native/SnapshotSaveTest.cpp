// Saving a snapshot through a temporary file against the in-memory file
// system: what the old file carried, the user's other files, and each way
// the platform's replace can answer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/SnapshotSave.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeScm.h"
#include "tests/fakes/ForwardingFiles.h"

namespace pf = platform::file;

namespace {

class SnapshotSaveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        scm.Add("Web", "Web server", platform::scm::kRunning);
        ASSERT_TRUE(list.Enumerate());
        files.AddFolder("C:\\snaps\\");
    }
    bool Save() { return SaveSnapshot(files, locale, list, kPath, &reason); }
    bool Saved() { return files.Get(kPath).rfind("Machine = localhost\r\n", 0) == 0; }

    static constexpr const char* kPath = "C:\\snaps\\services.rpt";
    fake::Scm scm;
    ServiceList list{scm};
    fake::FileSystem files;
    fake::LocaleTime locale;
    std::string reason;
};

TEST_F(SnapshotSaveFileTest, TheOldFileKeepsItsAttributesAndTheUsersFilesBesideItSurvive) {
    const uint32_t hidden = pf::kAttributeArchive | pf::kAttributeHidden;
    files.Put(std::string(kPath) + ".new", "the user's own");
    files.Put("C:\\snaps\\vt1.tmp", "also the user's");  // the first name the platform offers
    // Windows' replace keeps the old file's attributes, Wine's does not; a
    // file system without a replace has only the plain move.
    struct Platform {
        bool keeps;
        uint32_t replaceError;
    } platforms[] = {{true, 0}, {false, 0}, {false, pf::kErrorNotSupported}};
    for (const Platform& p : platforms) {
        files.replaceKeepsAttributes = p.keeps;
        files.replaceError = p.replaceError;
        files.Put(kPath, "the old snapshot");
        files.files[kPath].attributes = hidden;
        ASSERT_TRUE(Save()) << reason;
        EXPECT_TRUE(Saved());
        EXPECT_EQ(files.GetFileAttributesA(kPath), hidden) << p.keeps << " " << p.replaceError;
        EXPECT_EQ(files.Get(std::string(kPath) + ".new"), "the user's own");
        EXPECT_EQ(files.Get("C:\\snaps\\vt1.tmp"), "also the user's");
        EXPECT_EQ(files.files.size(), 3u);  // no temporary file left
    }
    // A read-only file is the user's refusal: it stays as it was.
    files.replaceError = 0;
    files.Put(kPath, "the old snapshot");
    files.files[kPath].attributes = pf::kAttributeReadOnly;
    EXPECT_FALSE(Save());
    EXPECT_EQ(reason, "File system message 5.\r\n");
    EXPECT_EQ(files.Get(kPath), "the old snapshot");
    EXPECT_EQ(files.files.size(), 3u);
}

TEST_F(SnapshotSaveFileTest, WithoutAnOldFileOrWithoutTheReplaceTheSnapshotIsMovedIntoPlace) {
    ASSERT_TRUE(Save()) << reason;  // nothing to replace yet
    EXPECT_TRUE(Saved());
    EXPECT_EQ(files.files.size(), 1u);

    for (uint32_t unsupported : {pf::kErrorInvalidFunction, pf::kErrorCallNotImplemented}) {
        files.Put(kPath, "the old snapshot");
        files.replaceError = unsupported;
        ASSERT_TRUE(Save()) << unsupported << " " << reason;
        EXPECT_TRUE(Saved()) << unsupported;
        EXPECT_EQ(files.files.size(), 1u) << unsupported;
    }
}

TEST_F(SnapshotSaveFileTest, AReplaceThatLostTheOldFileStillDeliversTheSnapshot) {
    files.Put(kPath, "the old snapshot");
    files.replaceError = pf::kErrorUnableToMoveReplacement;
    ASSERT_TRUE(Save()) << reason;
    EXPECT_TRUE(Saved());
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(SnapshotSaveFileTest, AFailedReplaceKeepsTheOldFileAndRemovesTheTemporaryOne) {
    files.Put(kPath, "the old snapshot");
    files.replaceError = pf::kErrorUnableToRemoveReplaced;
    EXPECT_FALSE(Save());
    EXPECT_EQ(reason, "File system message 1175.\r\n");
    files.replaceError = 0;
    auto holder = files.CreateFileA(kPath, pf::kGenericRead, 0, pf::kOpenExisting);
    EXPECT_FALSE(Save());
    EXPECT_EQ(reason, "File system message 32.\r\n");
    holder.reset();
    EXPECT_EQ(files.Get(kPath), "the old snapshot");
    EXPECT_EQ(files.files.size(), 1u);

    files.AddFolder("C:\\locked\\", false);
    EXPECT_FALSE(SaveSnapshot(files, locale, list, "C:\\locked\\x.rpt", &reason));
    EXPECT_EQ(reason, "File system message 5.\r\n");
    EXPECT_EQ(files.files.size(), 1u);
}

// The temporary file is made in the target's own folder, so that the
// replace never has to cross volumes: for a name relative to a drive, that
// drive's current folder, not the program's.
TEST_F(SnapshotSaveFileTest, TheTemporaryFileIsMadeWhereTheTargetGoes) {
    struct Folders : fake::ForwardingFiles {
        using ForwardingFiles::ForwardingFiles;
        uint32_t GetTempFileNameA(const char* f, const char* p, uint32_t u, char* n) override {
            asked.push_back(f);
            return ForwardingFiles::GetTempFileNameA(f, p, u, n);
        }
        std::vector<std::string> asked;
    } folders{files};
    for (const char* path : {"C:\\snaps\\a.rpt", "\\\\srv\\share\\b.rpt", "D:c.rpt", "d.rpt"})
        SaveSnapshot(folders, locale, list, path, &reason);
    EXPECT_EQ(folders.asked,
              (std::vector<std::string>{"C:\\snaps\\", "\\\\srv\\share\\", "D:.", "."}));
}

}  // namespace
