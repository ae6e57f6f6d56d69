#include "document/SnapshotSave.h"

#include "document/FileSave.h"
#include "document/SnapshotFile.h"

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SaveSnapshot(platform::FileSystem& files, platform::LocaleTime& locale,
                  const ServiceList& list, const std::string& path, std::string* reason) {
    SnapshotFile snapshot(locale);
    return SaveWholeFile(
        files, path, [&](platform::File& file) { return snapshot.Write(list, file); }, reason);
}
