#pragma once
// Files as the core sees them: CreateFileA and the calls on an open file,
// with the platform's access, sharing and creation values, so snapshot and
// log code can run on Windows, Wine or an in-memory file system.
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

namespace file {
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kShareRead = 0x1;
constexpr uint32_t kShareWrite = 0x2;
constexpr uint32_t kShareDelete = 0x4;
constexpr uint32_t kCreateNew = 1;
constexpr uint32_t kCreateAlways = 2;
constexpr uint32_t kOpenExisting = 3;
constexpr uint32_t kOpenAlways = 4;
constexpr uint32_t kMoveReplaceExisting = 0x1;
constexpr uint32_t kMoveWriteThrough = 0x8;
constexpr uint32_t kReplaceIgnoreMergeErrors = 0x2;
constexpr uint32_t kMaxPath = 260;

constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeNormal = 0x80;
constexpr uint32_t kAttributeNotContentIndexed = 0x2000;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// The errors the core tells apart.
constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorCallNotImplemented = 120;
constexpr uint32_t kErrorUnableToRemoveReplaced = 1175;
constexpr uint32_t kErrorUnableToMoveReplacement = 1176;
constexpr uint32_t kErrorUnableToMoveReplacement2 = 1177;
}  // namespace file

// One open file; destroying it closes it.
class File {
public:
    virtual ~File() = default;
    // ReadFile: 0 bytes read at the end of the file.
    virtual bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) = 0;
    // WriteFile: false unless every byte was written.
    virtual bool Write(const void* data, uint32_t size) = 0;
    virtual bool Flush() = 0;
    virtual bool SeekToEnd() = 0;
    virtual uint64_t Size() = 0;
    // CloseHandle, so that a failure to close can be reported.
    virtual bool Close() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // Null on failure, with the reason in GetLastError().
    virtual std::unique_ptr<File> CreateFileA(const char* path, uint32_t access, uint32_t share,
                                              uint32_t disposition) = 0;
    virtual bool MoveFileExA(const char* from, const char* to, uint32_t flags) = 0;
    // Replaces `replaced` by `replacement`, which takes over the replaced
    // file's attributes; `backup` may be null. On failure the platform's
    // codes say where the two files are (kErrorUnableToMoveReplacement:
    // the replaced file is gone, the replacement keeps its name).
    virtual bool ReplaceFileA(const char* replaced, const char* replacement, const char* backup,
                              uint32_t flags) = 0;
    // Makes an empty file of a unique name "<prefix><hex>.tmp" in `folder`
    // and puts its path in `tempFileName` (kMaxPath characters). With
    // `unique` 0 the platform picks the number; 0 is returned on failure.
    virtual uint32_t GetTempFileNameA(const char* folder, const char* prefix, uint32_t unique,
                                      char* tempFileName) = 0;
    virtual bool DeleteFileA(const char* path) = 0;
    // kInvalidFileAttributes when the file cannot be reached.
    virtual uint32_t GetFileAttributesA(const char* path) = 0;
    virtual bool SetFileAttributesA(const char* path, uint32_t attributes) = 0;
    virtual uint32_t GetLastError() = 0;
    virtual std::string FormatMessageA(uint32_t code) = 0;
};

// Reads a whole open file from where it stands; false on a read error.
bool ReadToEnd(File& file, std::string* out);

}  // namespace platform
