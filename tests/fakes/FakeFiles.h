#pragma once
// An in-memory file system with the platform's sharing rules and injectable
// failures, and a locale clock with a fixed, simple date format.
#include <map>
#include <memory>
#include <string>

#include "platform/FileApi.h"
#include "platform/LocaleTime.h"

namespace fake {

class FileSystem : public platform::FileSystem {
public:
    struct Node {
        std::string data;
        int readers = 0, writers = 0;  // open handles by access
        uint32_t sharedBy = 0x7;       // the narrowest share mode of the open handles
        int openHandles = 0;
        uint32_t attributes = platform::file::kAttributeArchive;  // as a new file gets
        int syncs = 0;                                            // flushes to the disk
    };

    // Files and folders: a folder is any prefix ending in a backslash that a
    // file path was created under, or one added here.
    std::map<std::string, Node> files;
    std::map<std::string, bool> folders;  // value: writable
    uint32_t lastError = 0;
    // After this many more bytes, writes fail as on a full disk (-1: never).
    long long spaceLeft = -1;
    bool failReads = false;
    bool failSeeks = false;
    // ReplaceFileA fails with this code (0: never), leaving the files as the
    // platform does for it: kErrorUnableToMoveReplacement removes the
    // replaced file, every other code leaves both as they were.
    uint32_t replaceError = 0;
    // Whether a successful ReplaceFileA gives the result the replaced file's
    // attributes, as Windows does; Wine's keeps the replacement's own.
    bool replaceKeepsAttributes = true;
    // The number GetTempFileNameA tries next.
    uint32_t nextTempNumber = 1;
    bool failClose = false;

    void AddFolder(const std::string& path, bool writable = true) { folders[path] = writable; }
    void Put(const std::string& path, const std::string& data) { files[path].data = data; }
    std::string Get(const std::string& path) const;
    bool Exists(const std::string& path) const { return files.count(path) != 0; }

    std::unique_ptr<platform::File> CreateFileA(const char* path, uint32_t access, uint32_t share,
                                                uint32_t disposition) override;
    bool MoveFileExA(const char* from, const char* to, uint32_t flags) override;
    bool ReplaceFileA(const char* replaced, const char* replacement, const char* backup,
                      uint32_t flags) override;
    uint32_t GetTempFileNameA(const char* folder, const char* prefix, uint32_t unique,
                              char* tempFileName) override;
    bool DeleteFileA(const char* path) override;
    uint32_t GetFileAttributesA(const char* path) override;
    bool SetFileAttributesA(const char* path, uint32_t attributes) override;
    uint32_t GetLastError() override { return lastError; }
    std::string FormatMessageA(uint32_t code) override;

private:
    friend class MemoryFile;
    bool FolderWritable(const std::string& path) const;
};

// Dates as "dd/mm/yyyy hh:mm:ss", the time left out at midnight.
class LocaleTime : public platform::LocaleTime {
public:
    platform::LocalDateTime now{2026, 12, 6, 22, 31, 11};
    platform::LocalDateTime Now() override { return now; }
    std::string FormatDateTime(const platform::LocalDateTime& when) override;
    bool ParseDateTime(const std::string& text, platform::LocalDateTime* when) override;
};

}  // namespace fake
