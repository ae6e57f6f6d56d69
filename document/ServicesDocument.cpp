#include "document/ServicesDocument.h"

#include <cctype>
#include <memory>

#include "document/SnapshotSave.h"
#include "platform/MessageText.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"

ServicesDocument::ServicesDocument(platform::ScmApi& scm, platform::RegistryApi& registry,
                                   platform::TextSource& texts, platform::Clock& clock)
    : currentList(scm),
      referenceList(scm),
      comparedList(scm),
      changes(scm),
      commands(currentList, lastErrorText, texts, clock),
      scm_(scm),
      registry_(registry),
      texts_(texts) {}

bool ServicesDocument::LoadServices() {
    if (currentList.Enumerate()) {
        Loaded();
        return true;
    }
    // The list is gone, and what was compared with it.
    referenceValid = false;
    comparedList.Release();
    comparedFresh_ = false;
    return false;
}

// The reference is what the enumeration just found: enumerating again would
// cost a connection and its round trips for the same answer.
void ServicesDocument::Loaded() {
    comparedList.Release();
    comparedFresh_ = false;
    const char* machine = currentList.GetMachineName();
    title = machine ? machine : "localhost";
    referenceValid = referenceList.CopyEntriesOf(currentList);
}

bool ServicesDocument::RefreshReference() {
    referenceValid = false;
    comparedFresh_ = false;
    referenceList.CopyOptions(currentList);
    referenceValid = referenceList.Enumerate();
    return referenceValid;
}

// The four filters come from the settings when their key opens; otherwise
// the list keeps the options it had.
bool ServicesDocument::ReadFilterSettings(ServiceList& list) {
    SettingsStore store(registry_);
    if (!store.OpenConfiguration()) return false;
    list.win32 = static_cast<uint32_t>(store.Read(settings::kWin32));
    list.driver = static_cast<uint32_t>(store.Read(settings::kDriver));
    list.active = static_cast<uint32_t>(store.Read(settings::kActive));
    list.inactive = static_cast<uint32_t>(store.Read(settings::kInactive));
    return true;
}

void ServicesDocument::SetDefaultOptions() {
    currentList.active = 1;
    currentList.inactive = 1;
    currentList.win32 = 1;
    currentList.driver = 0;
    currentList.SetDatabaseName(nullptr);
    currentList.SetMachineName(nullptr);
}

std::string ServicesDocument::LoadFailure(const std::string& reason) const {
    return texts_.Text(IDS_ERROR_LOADING_SERVICES) + "\n" + reason;
}

ServicesDocument::NewResult ServicesDocument::NewDocument() {
    lastErrorText.clear();
    openMode = kNew;
    ReadFilterSettings(currentList);
    currentList.SetDatabaseName(nullptr);
    currentList.SetMachineName(nullptr);
    if (LoadServices()) return kNewLoaded;
    SetDefaultOptions();
    if (!LoadServices()) {
        lastErrorText = LoadFailure(currentList.GetErrorText());
        return kNewFailed;
    }
    lastErrorText = LoadFailure(texts_.Text(IDS_DEFAULT_OPTIONS_NOTICE));
    return kNewLoadedWithDefaults;
}

std::string ServicesDocument::MachineName(const std::string& fileTitle) {
    size_t first = fileTitle.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) return std::string();
    size_t last = fileTitle.find_last_not_of(" \t\r\n\v\f");
    std::string name = fileTitle.substr(first, last - first + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "localhost" ? std::string() : name;
}

bool ServicesDocument::OpenDocument(const std::string& path) {
    std::unique_ptr<MachineOpening> opening = StartOpening(path);
    opening->Run();
    return FinishOpening(*opening);
}

std::unique_ptr<MachineOpening> ServicesDocument::StartOpening(const std::string& path) {
    std::unique_ptr<MachineOpening> opening = StartReload();
    openMode = kOpen;
    ReadFilterSettings(opening->list);
    opening->list.SetDatabaseName(nullptr);
    opening->list.SetMachineName(MachineName(FileNameOf(path)).c_str());
    return opening;
}

std::unique_ptr<MachineOpening> ServicesDocument::StartReload() {
    lastErrorText.clear();
    auto opening = std::make_unique<MachineOpening>(scm_);
    opening->list.CopyOptions(currentList);
    return opening;
}

bool ServicesDocument::FinishOpening(MachineOpening& opening) {
    if (!opening.Succeeded()) {
        lastErrorText = LoadFailure(opening.list.GetErrorText());
        return false;
    }
    currentList.Swap(opening.list);
    Loaded();
    return true;
}

bool ServicesDocument::SaveSnapshot(platform::FileSystem& files, platform::LocaleTime& locale,
                                    const std::string& path) {
    lastErrorText.clear();
    openMode = kSaveSnapshot;
    std::string reason;
    if (::SaveSnapshot(files, locale, referenceList, path, &reason)) return true;
    lastErrorText =
        ComposeMessage(texts_.Text(IDS_ERROR_SAVING_SERVICES), FileNameOf(path).c_str(), reason);
    return false;
}

bool ServicesDocument::CompareWithReference() {
    lastErrorText.clear();
    comparedFresh_ = false;
    if (!referenceValid) return false;
    SettingsStore store(registry_);
    uint32_t compareType = static_cast<uint32_t>(store.Read(settings::kCompareType, 1));
    comparedList.CopyOptions(referenceList);
    if (!comparedList.Enumerate()) {
        comparedList.Release();
        lastErrorText = texts_.Text(IDS_ERROR_LOADING_SERVICES);
        return false;
    }
    changes.SetCompareType(compareType);
    comparedFresh_ = changes.Compare(comparedList, referenceList);
    if (!comparedFresh_) comparedList.Release();
    return comparedFresh_;
}

// The former reference (and its connection) stays until the next
// comparison replaces it: a pass with changes then opens and closes as many
// handles as one without.
bool ServicesDocument::AdoptComparedList() {
    if (!referenceValid || !comparedFresh_) return false;
    referenceList.Swap(comparedList);
    comparedFresh_ = false;
    return true;
}

bool ServicesDocument::CompareWithFile(platform::FileSystem& files, const std::string& path) {
    namespace pf = platform::file;
    lastErrorText.clear();
    const std::string format = texts_.Text(IDS_ERROR_COMPARING_FILE);
    const std::string fileName = FileNameOf(path);
    std::unique_ptr<platform::File> file =
        files.CreateFileA(path.c_str(), pf::kGenericRead, pf::kShareRead, pf::kOpenExisting);
    if (file && changes.CompareWithSnapshot(referenceList, *file)) return true;
    // A file that cannot be opened or read carries the system's reason; a
    // snapshot that does not fit the reference has none to give.
    if (!file || changes.FileFailed())
        lastErrorText =
            ComposeMessage(format, fileName.c_str(), files.FormatMessageA(files.GetLastError()));
    else
        lastErrorText = FormatText(format, fileName.c_str());
    return false;
}
