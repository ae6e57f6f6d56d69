#pragma once
// A service control manager as a remote machine makes it: every call takes
// a set time, every call is counted by kind, and the machine can stop
// answering (the connection waits, then fails with the platform's
// server-unavailable error). It wraps the real platform or a fake.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "tests/fakes/NamedCallsScm.h"

namespace fake {

class MeteredScm : public NamedCallsScm {
public:
    static constexpr uint32_t kServerUnavailable = 1722;

    explicit MeteredScm(platform::ScmApi& inner) : NamedCallsScm(inner) {}

    // How a call spends its latency: nothing by default, ::Sleep on Windows.
    std::function<void(uint32_t ms)> wait;
    uint32_t latencyMs = 0;

    // Every connection from now on waits `ms`, then fails.
    void MakeUnreachable(uint32_t ms) {
        std::lock_guard<std::mutex> hold(lock_);
        unreachableMs_ = ms;
        unreachable_ = true;
    }
    void MakeReachable() {
        std::lock_guard<std::mutex> hold(lock_);
        unreachable_ = false;
    }

    // Calls of one kind ("OpenServiceA", ...) since the last Reset.
    int Count(const std::string& call) const {
        std::lock_guard<std::mutex> hold(lock_);
        auto found = counts_.find(call);
        return found == counts_.end() ? 0 : found->second;
    }
    int Total() const {
        std::lock_guard<std::mutex> hold(lock_);
        int total = 0;
        for (const auto& kind : counts_) total += kind.second;
        return total;
    }
    void Reset() {
        std::lock_guard<std::mutex> hold(lock_);
        counts_.clear();
    }

    platform::ScHandle OpenSCManagerA(const char* m, const char* d, uint32_t a) override {
        bool refuse;
        uint32_t refuseAfter;
        {
            std::lock_guard<std::mutex> hold(lock_);
            refuse = unreachable_;
            refuseAfter = unreachableMs_;
        }
        if (refuse) {
            Spend("OpenSCManagerA", refuseAfter);
            failed_ = true;
            return nullptr;
        }
        return NamedCallsScm::OpenSCManagerA(m, d, a);
    }
    uint32_t GetLastError() override {
        return failed_ ? kServerUnavailable : ForwardingScm::GetLastError();
    }

private:
    void Call(const char* kind) override {
        Spend(kind, latencyMs);
        failed_ = false;
    }
    void Spend(const char* kind, uint32_t ms) {
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++counts_[kind];
        }
        if (ms > 0 && wait) wait(ms);
    }

    mutable std::mutex lock_;
    std::map<std::string, int> counts_;
    bool unreachable_ = false;
    uint32_t unreachableMs_ = 0;
    // The last call was a refused connection; per thread, as the platform's
    // own error is.
    inline static thread_local bool failed_ = false;
};

}  // namespace fake
