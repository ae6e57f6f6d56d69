#include "document/FileSave.h"

namespace pf = platform::file;

namespace {

// The folder the temporary file goes to: the target's own, so that the
// replace never crosses volumes.
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos) return path.substr(0, slash + 1);
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2) + ".";  // "C:name"
    return ".";
}

// Codes with which a file system says it has no replace of its own.
bool ReplaceUnsupported(uint32_t error) {
    return error == pf::kErrorInvalidFunction || error == pf::kErrorNotSupported ||
           error == pf::kErrorCallNotImplemented || error == pf::kErrorInvalidParameter;
}

}  // namespace

bool SaveWholeFile(platform::FileSystem& files, const std::string& path,
                   const std::function<bool(platform::File&)>& write, std::string* reason) {
    auto fail = [&](uint32_t error, const char* removeTemp) {
        if (removeTemp != nullptr) files.DeleteFileA(removeTemp);
        *reason = files.FormatMessageA(error);
        return false;
    };
    // A name of the platform's choosing, made as an empty file, so that no
    // file of the user's is ever taken for the temporary one.
    char temp[pf::kMaxPath + 1] = {};
    if (files.GetTempFileNameA(FolderOf(path).c_str(), "vt", 0, temp) == 0)
        return fail(files.GetLastError(), nullptr);
    std::unique_ptr<platform::File> file =
        files.CreateFileA(temp, pf::kGenericWrite, 0, pf::kCreateAlways);
    if (!file) return fail(files.GetLastError(), temp);
    bool written = write(*file) && file->Flush();
    uint32_t error = written ? 0 : files.GetLastError();
    bool closed = file->Close();
    if (!written) return fail(error, temp);
    if (!closed) return fail(files.GetLastError(), temp);
    file.reset();

    // The replace keeps what the old file carried (its attributes, creation
    // time and security), but Wine's and a plain move give the result the
    // temporary file's attributes: so it takes the old file's first. Read
    // only stays behind, as the replace would refuse such a file anyway.
    uint32_t old = files.GetFileAttributesA(path.c_str());
    if (old != pf::kInvalidFileAttributes) {
        uint32_t carried = old & (pf::kAttributeHidden | pf::kAttributeSystem |
                                  pf::kAttributeArchive | pf::kAttributeNotContentIndexed);
        files.SetFileAttributesA(temp, carried != 0 ? carried : pf::kAttributeNormal);
    }
    if (files.ReplaceFileA(path.c_str(), temp, nullptr, pf::kReplaceIgnoreMergeErrors)) return true;
    error = files.GetLastError();
    const uint32_t move = pf::kMoveReplaceExisting | pf::kMoveWriteThrough;
    if (error == pf::kErrorFileNotFound || ReplaceUnsupported(error)) {
        // No old file yet, or a file system without the replace.
        if (files.MoveFileExA(temp, path.c_str(), move)) return true;
        return fail(files.GetLastError(), temp);
    }
    if (error == pf::kErrorUnableToMoveReplacement || error == pf::kErrorUnableToMoveReplacement2) {
        // The old file is already gone: the snapshot has to reach its name,
        // and if it cannot, it stays under the temporary one rather than
        // being lost with the old file.
        if (files.MoveFileExA(temp, path.c_str(), move)) return true;
        return fail(files.GetLastError(), nullptr);
    }
    return fail(error, temp);
}
