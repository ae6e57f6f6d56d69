#include "document/RestoreJob.h"

#include <utility>

RestoreJob::RestoreJob(std::vector<std::string> names, const RestoreRows& rows)
    : names_(std::move(names)) {
    for (const std::string& name : names_)
        if (const PendingChange* record = rows.RecordOf(name)) records_.emplace(name, *record);
}

void RestoreJob::Run(ServicesDocument* document) {
    allRestored_ = RestorePasses(document, &names_, *this);
}

std::vector<std::string> RestoreJob::TakeRestored() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> taken;
    taken.swap(restored_);
    return taken;
}

std::map<std::string, std::string> RestoreJob::Refusals() const {
    std::lock_guard<std::mutex> hold(lock_);
    return refusals_;
}

const PendingChange* RestoreJob::RecordOf(const std::string& name) const {
    auto found = records_.find(name);
    return found == records_.end() ? nullptr : &found->second;
}

void RestoreJob::RemoveRow(const std::string& name) {
    std::lock_guard<std::mutex> hold(lock_);
    restored_.push_back(name);
}

void RestoreJob::NoteRefusal(const std::string& name, const std::string& reason) {
    std::lock_guard<std::mutex> hold(lock_);
    refusals_[name] = reason;
}
