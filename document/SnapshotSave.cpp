#include "document/SnapshotSave.h"

#include "document/SnapshotFile.h"

namespace pf = platform::file;

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SaveSnapshot(platform::FileSystem& files, platform::LocaleTime& locale,
                  const ServiceList& list, const std::string& path, std::string* reason) {
    const std::string temp = path + ".new";
    auto fail = [&](uint32_t error, bool removeTemp) {
        if (removeTemp) files.DeleteFileA(temp.c_str());
        *reason = files.FormatMessageA(error);
        return false;
    };
    std::unique_ptr<platform::File> file =
        files.CreateFileA(temp.c_str(), pf::kGenericWrite, 0, pf::kCreateAlways);
    if (!file) return fail(files.GetLastError(), false);
    SnapshotFile snapshot(locale);
    bool written = snapshot.Write(list, *file) && file->Flush();
    uint32_t error = written ? 0 : files.GetLastError();
    bool closed = file->Close();
    if (!written) return fail(error, true);
    if (!closed) return fail(files.GetLastError(), true);
    file.reset();
    if (!files.MoveFileExA(temp.c_str(), path.c_str(),
                           pf::kMoveReplaceExisting | pf::kMoveWriteThrough))
        return fail(files.GetLastError(), true);
    return true;
}
