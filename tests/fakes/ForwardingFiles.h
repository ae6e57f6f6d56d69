#pragma once
// A file system that hands every call to another one: a test overrides only
// the calls it answers itself.
#include <memory>
#include <string>

#include "platform/FileApi.h"

namespace fake {

class ForwardingFiles : public platform::FileSystem {
public:
    explicit ForwardingFiles(platform::FileSystem& inner) : inner_(inner) {}

    std::unique_ptr<platform::File> CreateFileA(const char* p, uint32_t a, uint32_t s,
                                                uint32_t d) override {
        return inner_.CreateFileA(p, a, s, d);
    }
    bool MoveFileExA(const char* f, const char* t, uint32_t flags) override {
        return inner_.MoveFileExA(f, t, flags);
    }
    bool ReplaceFileA(const char* r, const char* n, const char* b, uint32_t flags) override {
        return inner_.ReplaceFileA(r, n, b, flags);
    }
    uint32_t GetTempFileNameA(const char* f, const char* p, uint32_t u, char* name) override {
        return inner_.GetTempFileNameA(f, p, u, name);
    }
    bool DeleteFileA(const char* p) override { return inner_.DeleteFileA(p); }
    uint32_t GetFileAttributesA(const char* p) override { return inner_.GetFileAttributesA(p); }
    bool SetFileAttributesA(const char* p, uint32_t a) override {
        return inner_.SetFileAttributesA(p, a);
    }
    uint32_t GetLastError() override { return inner_.GetLastError(); }
    std::string FormatMessageA(uint32_t code) override { return inner_.FormatMessageA(code); }

private:
    platform::FileSystem& inner_;
};

// An open file that hands every call to another one.
class ForwardingFile : public platform::File {
public:
    explicit ForwardingFile(std::unique_ptr<platform::File> inner) : inner_(std::move(inner)) {}

    bool Read(void* b, uint32_t s, uint32_t* r) override { return inner_->Read(b, s, r); }
    bool Write(const void* d, uint32_t s) override { return inner_->Write(d, s); }
    bool Flush() override { return inner_->Flush(); }
    bool SeekToEnd() override { return inner_->SeekToEnd(); }
    uint64_t Size() override { return inner_->Size(); }
    bool Close() override { return inner_->Close(); }

private:
    std::unique_ptr<platform::File> inner_;
};

}  // namespace fake
