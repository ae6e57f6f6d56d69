#pragma once
// Restoring services on a thread of its own, while the restore window
// answers: the records are copies taken on the window's thread, the rows
// that go and the reasons of refusals are handed back to it, and Stop ends
// the passes once the command under way is done.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "document/Restore.h"

class RestoreJob : public RestoreRows {
public:
    // The records of `names` as `rows` holds them now.
    RestoreJob(std::vector<std::string> names, const RestoreRows& rows);

    // The passes over the names; on the job's own thread.
    void Run(ServicesDocument* document);
    void Stop() { stopped_ = true; }

    // The names restored since the last call: their rows go.
    std::vector<std::string> TakeRestored();
    // Once run: whether every name was restored, those left, and why the
    // platform refused each that it refused.
    bool AllRestored() const { return allRestored_; }
    const std::vector<std::string>& Left() const { return names_; }
    std::map<std::string, std::string> Refusals() const;

    const PendingChange* RecordOf(const std::string& name) const override;
    void RemoveRow(const std::string& name) override;
    void NoteRefusal(const std::string& name, const std::string& reason) override;
    bool Stopped() const override { return stopped_; }

private:
    std::vector<std::string> names_;
    std::map<std::string, PendingChange> records_;
    std::atomic<bool> stopped_{false};
    bool allRestored_ = false;
    mutable std::mutex lock_;
    std::vector<std::string> restored_;
    std::map<std::string, std::string> refusals_;
};
