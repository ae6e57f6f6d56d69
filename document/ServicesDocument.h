#pragma once
// The services of one machine as the document holds them: the list the views
// show, the reference list changes are detected against, and the loading
// rules of a new or opened document. The window class only shows messages.
#include <memory>
#include <string>

#include "document/ChangeList.h"
#include "document/ServiceCommands.h"
#include "platform/Clock.h"
#include "platform/FileApi.h"
#include "platform/LocaleTime.h"
#include "platform/RegistryApi.h"
#include "platform/ScmApi.h"
#include "platform/TextSource.h"
#include "scm/ServiceList.h"

// A machine being opened: Run does every wait on the platform, into a list
// of its own, and may run on any thread while nothing else touches it.
class MachineOpening {
public:
    explicit MachineOpening(platform::ScmApi& scm) : list(scm) {}
    void Run() { succeeded_ = list.Enumerate(); }
    bool Succeeded() const { return succeeded_; }
    ServiceList list;

private:
    bool succeeded_ = false;
};

class ServicesDocument {
public:
    ServicesDocument(platform::ScmApi& scm, platform::RegistryApi& registry,
                     platform::TextSource& texts, platform::Clock& clock);

    enum OpenMode { kNone = 0, kNew = 1, kOpen = 2, kSaveSnapshot = 3 };
    enum NewResult { kNewFailed, kNewLoaded, kNewLoadedWithDefaults };

    bool LoadServices();
    bool RefreshReference();
    // The start-up load; on a fallback or a failure lastErrorText holds the message.
    NewResult NewDocument();
    // Opens the machine named by the last part of a path (the text after its
    // last separator, dots and all: "srv.example.com" is a machine). A
    // machine that cannot be opened leaves the document as it was.
    bool OpenDocument(const std::string& path);
    // The same in three steps, for a caller that runs the opening's waits
    // on another thread: the opening takes the document's filters and
    // touches nothing of the document until it is finished here.
    std::unique_ptr<MachineOpening> StartOpening(const std::string& path);
    // The machine shown, again, with the options it was opened with.
    std::unique_ptr<MachineOpening> StartReload();
    bool FinishOpening(MachineOpening& opening);
    // Trimmed, lower-cased, and "localhost" for the local machine made empty.
    static std::string MachineName(const std::string& fileTitle);

    // Compares a fresh enumeration with the reference; false (with no
    // records changed) while the reference is not valid or either side
    // cannot be loaded. The fresh list is kept until the next comparison.
    bool CompareWithReference();
    // The list the last comparison enumerated becomes the reference, so the
    // next comparison starts from exactly what this one found: a change
    // between two enumerations is never absorbed unreported. False when no
    // comparison ran since the last adoption or load.
    bool AdoptComparedList();
    // The reference is the new side, the snapshot file the old one.
    bool CompareWithFile(platform::FileSystem& files, const std::string& path);
    int GetChangeCount() const { return changes.GetCount(); }
    const ServiceChange* GetChange(int index) const { return changes.GetChange(index); }
    const std::string& GetChangeDate() const { return changes.GetSnapshotDate(); }

    ServiceList currentList;
    ServiceList referenceList;
    ServiceList comparedList;  // what the last comparison enumerated, or the former reference
    ChangeList changes;
    ServiceCommands commands;
    std::string lastErrorText;
    std::string title;
    bool referenceValid = false;
    int openMode = kNone;

    // Saves the reference list (the state at the last load or accepted
    // change) as a snapshot; the path and title stay as they are.
    bool SaveSnapshot(platform::FileSystem& files, platform::LocaleTime& locale,
                      const std::string& path);

private:
    bool ReadFilterSettings(ServiceList& list);
    void Loaded();
    void SetDefaultOptions();
    std::string LoadFailure(const std::string& reason) const;

    platform::ScmApi& scm_;
    platform::RegistryApi& registry_;
    platform::TextSource& texts_;
    bool comparedFresh_ = false;  // the compared list has not been adopted yet
};
