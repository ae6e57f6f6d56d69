#include "tests/fakes/FakeFiles.h"

#include <cstdio>
#include <cstring>

namespace pf = platform::file;

namespace fake {

namespace {
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kSeekError = 25;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kFilenameExceedsRange = 206;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

class MemoryFile : public platform::File {
public:
    MemoryFile(FileSystem& fs, std::string path, uint32_t access)
        : fs_(fs), path_(std::move(path)), access_(access) {}
    ~MemoryFile() override { Close(); }

    bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override {
        *bytesRead = 0;
        if (!(access_ & pf::kGenericRead)) return Fail(kAccessDenied);
        if (fs_.failReads) return Fail(kReadFault);
        const std::string& data = Node().data;
        size_t n = pos_ < data.size() ? std::min<size_t>(size, data.size() - pos_) : 0;
        std::memcpy(buffer, data.data() + pos_, n);
        pos_ += n;
        *bytesRead = static_cast<uint32_t>(n);
        return true;
    }
    bool Write(const void* data, uint32_t size) override {
        if (!(access_ & pf::kGenericWrite)) return Fail(kAccessDenied);
        if (fs_.spaceLeft >= 0 && size > fs_.spaceLeft) return Fail(kHandleDiskFull);
        if (fs_.spaceLeft >= 0) fs_.spaceLeft -= size;
        std::string& content = Node().data;
        if (content.size() < pos_ + size) content.resize(pos_ + size);
        std::memcpy(&content[pos_], data, size);
        pos_ += size;
        return true;
    }
    bool Flush() override {
        ++flushes;
        if (open_) ++Node().syncs;
        return open_;
    }
    bool SeekToEnd() override {
        if (fs_.failSeeks) return Fail(kSeekError);
        pos_ = Node().data.size();
        return true;
    }
    uint64_t Size() override { return Node().data.size(); }
    bool Close() override {
        if (!open_) return true;
        open_ = false;
        auto& node = Node();
        --node.openHandles;
        if (access_ & pf::kGenericRead) --node.readers;
        if (access_ & pf::kGenericWrite) --node.writers;
        if (node.openHandles == 0) node.sharedBy = 0x7;
        return fs_.failClose ? Fail(kHandleDiskFull) : true;
    }
    int flushes = 0;

private:
    FileSystem::Node& Node() { return fs_.files[path_]; }
    bool Fail(uint32_t error) {
        fs_.lastError = error;
        return false;
    }
    FileSystem& fs_;
    std::string path_;
    uint32_t access_;
    size_t pos_ = 0;
    bool open_ = true;
};

std::string FileSystem::Get(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? std::string() : it->second.data;
}

bool FileSystem::FolderWritable(const std::string& path) const {
    auto it = folders.find(FolderOf(path));
    return it == folders.end() || it->second;
}

std::unique_ptr<platform::File> FileSystem::CreateFileA(const char* path, uint32_t access,
                                                        uint32_t share, uint32_t disposition) {
    std::string p = path ? path : "";
    auto it = files.find(p);
    bool exists = it != files.end();
    if (exists) {
        Node& n = it->second;
        bool clash = n.openHandles > 0 &&
                     (((access & pf::kGenericRead) && !(n.sharedBy & pf::kShareRead)) ||
                      ((access & pf::kGenericWrite) && !(n.sharedBy & pf::kShareWrite)) ||
                      (n.readers > 0 && !(share & pf::kShareRead)) ||
                      (n.writers > 0 && !(share & pf::kShareWrite)));
        if (clash) {
            lastError = kSharingViolation;
            return nullptr;
        }
    }
    if (!exists && (disposition == pf::kOpenExisting)) {
        lastError = kFileNotFound;
        return nullptr;
    }
    if (exists && disposition == pf::kCreateNew) {
        lastError = kFileExists;
        return nullptr;
    }
    if ((access & pf::kGenericWrite) && !FolderWritable(p)) {
        lastError = kAccessDenied;
        return nullptr;
    }
    Node& n = files[p];
    if (disposition == pf::kCreateAlways) n.data.clear();
    ++n.openHandles;
    n.sharedBy &= share;
    if (access & pf::kGenericRead) ++n.readers;
    if (access & pf::kGenericWrite) ++n.writers;
    lastError = 0;
    return std::make_unique<MemoryFile>(*this, p, access);
}

bool FileSystem::MoveFileExA(const char* from, const char* to, uint32_t flags) {
    auto it = files.find(from);
    if (it == files.end()) {
        lastError = kFileNotFound;
        return false;
    }
    if (files.count(to) && !(flags & pf::kMoveReplaceExisting)) {
        lastError = kFileExists;
        return false;
    }
    if (it->second.openHandles > 0 || (files.count(to) && files[to].openHandles > 0)) {
        lastError = kSharingViolation;
        return false;
    }
    if (files.count(to) && (files[to].attributes & pf::kAttributeReadOnly)) {
        lastError = kAccessDenied;
        return false;
    }
    // The moved file arrives whole, attributes included.
    Node moved;
    moved.data = it->second.data;
    moved.attributes = it->second.attributes;
    files.erase(it);
    files[to] = moved;
    return true;
}

bool FileSystem::ReplaceFileA(const char* replaced, const char* replacement, const char* backup,
                              uint32_t) {
    auto to = files.find(replaced);
    auto from = files.find(replacement);
    if (replaceError != 0) {
        if (replaceError == pf::kErrorUnableToMoveReplacement && to != files.end()) files.erase(to);
        lastError = replaceError;
        return false;
    }
    if (to == files.end() || from == files.end()) {
        lastError = kFileNotFound;
        return false;
    }
    if (to->second.openHandles > 0 || from->second.openHandles > 0) {
        lastError = kSharingViolation;
        return false;
    }
    if (to->second.attributes & pf::kAttributeReadOnly) {
        lastError = kAccessDenied;
        return false;
    }
    if (backup != nullptr) files[backup] = to->second;
    Node node;
    node.data = from->second.data;
    node.attributes = replaceKeepsAttributes ? to->second.attributes : from->second.attributes;
    files.erase(from);
    files[replaced] = node;
    return true;
}

uint32_t FileSystem::GetTempFileNameA(const char* folder, const char* prefix, uint32_t unique,
                                      char* tempFileName) {
    std::string dir = folder != nullptr ? folder : "";
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    if (!FolderWritable(dir + "x")) {
        lastError = kAccessDenied;
        return 0;
    }
    std::string pre = std::string(prefix != nullptr ? prefix : "").substr(0, 3);
    for (int tries = 0; tries < 0x10000; ++tries) {
        uint32_t n = unique != 0 ? unique : nextTempNumber++ & 0xFFFF;
        if (n == 0) continue;
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", n);
        std::string name = dir + pre + hex + ".tmp";
        if (name.size() >= pf::kMaxPath) {
            lastError = kFilenameExceedsRange;
            return 0;
        }
        // As the platform: a number of the caller's is only formatted, its
        // own is taken only for a name that is free, and the file is made.
        if (unique == 0) {
            if (files.count(name)) continue;
            files[name];
        }
        std::memcpy(tempFileName, name.c_str(), name.size() + 1);
        lastError = 0;
        return n;
    }
    lastError = kFileExists;
    return 0;
}

bool FileSystem::DeleteFileA(const char* path) {
    auto it = files.find(path);
    if (it == files.end()) {
        lastError = kFileNotFound;
        return false;
    }
    if (it->second.openHandles > 0) {
        lastError = kSharingViolation;
        return false;
    }
    files.erase(it);
    return true;
}

uint32_t FileSystem::GetFileAttributesA(const char* path) {
    auto it = files.find(path);
    if (it == files.end()) {
        lastError = kFileNotFound;
        return pf::kInvalidFileAttributes;
    }
    return it->second.attributes != 0 ? it->second.attributes : pf::kAttributeNormal;
}

bool FileSystem::SetFileAttributesA(const char* path, uint32_t attributes) {
    auto it = files.find(path);
    if (it == files.end()) {
        lastError = kFileNotFound;
        return false;
    }
    // NORMAL stands alone: it means none of the others.
    it->second.attributes = attributes == pf::kAttributeNormal ? 0 : attributes;
    return true;
}

std::string FileSystem::FormatMessageA(uint32_t code) {
    return "File system message " + std::to_string(code) + ".\r\n";
}

std::string LocaleTime::FormatDateTime(const platform::LocalDateTime& w) {
    char text[64];
    if (w.hour == 0 && w.minute == 0 && w.second == 0)
        std::snprintf(text, sizeof text, "%02d/%02d/%04d", w.day, w.month, w.year);
    else
        std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d:%02d", w.day, w.month, w.year,
                      w.hour, w.minute, w.second);
    return text;
}

bool LocaleTime::ParseDateTime(const std::string& text, platform::LocalDateTime* when) {
    platform::LocalDateTime w;
    int used = 0;
    if (std::sscanf(text.c_str(), "%2d/%2d/%4d%n", &w.day, &w.month, &w.year, &used) != 3)
        return false;
    if (text[used] != '\0') {
        int more = 0;
        if (std::sscanf(text.c_str() + used, " %2d:%2d:%2d%n", &w.hour, &w.minute, &w.second,
                        &more) != 3 ||
            text[used + more] != '\0')
            return false;
    }
    if (w.month < 1 || w.month > 12 || w.day < 1 || w.day > 31 || w.hour > 23 || w.minute > 59 ||
        w.second > 59)
        return false;
    *when = w;
    return true;
}

}  // namespace fake
