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

#include "tests/fakes/ForwardingScm.h"

namespace fake {

class MeteredScm : public ForwardingScm {
public:
    static constexpr uint32_t kServerUnavailable = 1722;

    explicit MeteredScm(platform::ScmApi& inner) : ForwardingScm(inner) {}

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
        Call("OpenSCManagerA");
        return ForwardingScm::OpenSCManagerA(m, d, a);
    }
    bool EnumServicesStatusA(platform::ScHandle m, uint32_t t, uint32_t s, void* b, uint32_t n,
                             uint32_t* need, uint32_t* ret, uint32_t* resume) override {
        Call("EnumServicesStatusA");
        return ForwardingScm::EnumServicesStatusA(m, t, s, b, n, need, ret, resume);
    }
    platform::ScHandle OpenServiceA(platform::ScHandle m, const char* n, uint32_t a) override {
        Call("OpenServiceA");
        return ForwardingScm::OpenServiceA(m, n, a);
    }
    bool QueryServiceStatus(platform::ScHandle h, platform::ServiceStatus* s) override {
        Call("QueryServiceStatus");
        return ForwardingScm::QueryServiceStatus(h, s);
    }
    bool QueryServiceConfigA(platform::ScHandle h, void* b, uint32_t n, uint32_t* need) override {
        Call("QueryServiceConfigA");
        return ForwardingScm::QueryServiceConfigA(h, b, n, need);
    }
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t l, void* b, uint32_t n,
                              uint32_t* need) override {
        Call("QueryServiceConfig2A");
        return ForwardingScm::QueryServiceConfig2A(h, l, b, n, need);
    }
    bool ChangeServiceConfigA(platform::ScHandle h, uint32_t t, uint32_t s, uint32_t e,
                              const char* b, const char* g, uint32_t* tag, const char* d,
                              const char* a, const char* p, const char* n) override {
        Call("ChangeServiceConfigA");
        return ForwardingScm::ChangeServiceConfigA(h, t, s, e, b, g, tag, d, a, p, n);
    }
    bool ChangeServiceConfig2A(platform::ScHandle h, uint32_t l, void* i) override {
        Call("ChangeServiceConfig2A");
        return ForwardingScm::ChangeServiceConfig2A(h, l, i);
    }
    bool StartServiceA(platform::ScHandle h, uint32_t n, const char** a) override {
        Call("StartServiceA");
        return ForwardingScm::StartServiceA(h, n, a);
    }
    bool ControlService(platform::ScHandle h, uint32_t c, platform::ServiceStatus* s) override {
        Call("ControlService");
        return ForwardingScm::ControlService(h, c, s);
    }
    bool CloseServiceHandle(platform::ScHandle h) override {
        Call("CloseServiceHandle");
        return ForwardingScm::CloseServiceHandle(h);
    }
    uint32_t GetLastError() override {
        return failed_ ? kServerUnavailable : ForwardingScm::GetLastError();
    }

private:
    void Call(const char* kind) {
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
