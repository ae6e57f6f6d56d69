#pragma once
// What the service control manager of Windows 10 and 11 tells that Wine's
// does not, laid over another one: the delayed flag (read and written),
// start triggers, per-user service types and configurations refused to the
// user. Every other call, and every service not named here, goes through.
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/ForwardingScm.h"

namespace fake {

class NewerScm : public ForwardingScm {
public:
    using ForwardingScm::ForwardingScm;

    std::map<std::string, bool> delayed;
    std::map<std::string, std::vector<uint32_t>> triggers;
    std::map<std::string, uint32_t> types;
    std::set<std::string> denied;
    // The delayed flags written, in order.
    std::vector<bool> delayedWrites;

    // Every call on a service begins with its opening: a refusal's error
    // lasts until then, through the close that reads it.
    platform::ScHandle OpenServiceA(platform::ScHandle m, const char* n, uint32_t a) override {
        error_ = 0;
        platform::ScHandle handle = ForwardingScm::OpenServiceA(m, n, a);
        if (handle != nullptr) names_[handle] = n;
        return handle;
    }
    bool CloseServiceHandle(platform::ScHandle h) override {
        names_.erase(h);
        return ForwardingScm::CloseServiceHandle(h);
    }
    bool EnumServicesStatusA(platform::ScHandle m, uint32_t t, uint32_t s, void* b, uint32_t n,
                             uint32_t* need, uint32_t* ret, uint32_t* resume) override {
        error_ = 0;
        bool ok = ForwardingScm::EnumServicesStatusA(m, t, s, b, n, need, ret, resume);
        auto* records = static_cast<platform::EnumServiceStatus*>(b);
        for (uint32_t i = 0; b != nullptr && ret != nullptr && i < *ret; ++i) {
            auto type = types.find(records[i].serviceName);
            if (type != types.end()) records[i].status.serviceType = type->second;
        }
        return ok;
    }
    bool QueryServiceConfigA(platform::ScHandle h, void* b, uint32_t n, uint32_t* need) override {
        if (denied.count(NameOf(h))) return Refuse(platform::err::kAccessDenied);
        if (!ForwardingScm::QueryServiceConfigA(h, b, n, need)) return false;
        auto type = types.find(NameOf(h));
        if (type != types.end())
            static_cast<platform::ServiceConfigRecord*>(b)->serviceType = type->second;
        return true;
    }
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t level, void* b, uint32_t n,
                              uint32_t* need) override {
        namespace sc = platform::scm;
        const std::string name = NameOf(h);
        if (denied.count(name)) return Refuse(platform::err::kAccessDenied);
        if (level == sc::kConfigDelayedAutoStartInfo) {
            platform::ServiceDelayedAutoStartInfo info{delayed[name] ? 1 : 0};
            return Answer(&info, sizeof info, b, n, need);
        }
        if (level == sc::kConfigTriggerInfo) return AnswerTriggers(triggers[name], b, n, need);
        if (level == sc::kConfigFailureActions) {
            platform::ServiceFailureActions none{};
            return Answer(&none, sizeof none, b, n, need);
        }
        return ForwardingScm::QueryServiceConfig2A(h, level, b, n, need);
    }
    bool ChangeServiceConfig2A(platform::ScHandle h, uint32_t level, void* info) override {
        if (level != platform::scm::kConfigDelayedAutoStartInfo)
            return ForwardingScm::ChangeServiceConfig2A(h, level, info);
        bool flag = static_cast<platform::ServiceDelayedAutoStartInfo*>(info)->delayedAutostart;
        delayed[NameOf(h)] = flag;
        delayedWrites.push_back(flag);
        return true;
    }
    uint32_t GetLastError() override { return error_ ? error_ : ForwardingScm::GetLastError(); }

private:
    std::string NameOf(platform::ScHandle h) const {
        auto found = names_.find(h);
        return found == names_.end() ? std::string() : found->second;
    }
    bool Refuse(uint32_t error) {
        error_ = error;
        return false;
    }
    bool Answer(const void* record, uint32_t size, void* b, uint32_t n, uint32_t* need) {
        *need = size;
        if (b == nullptr || n < size) return Refuse(platform::err::kInsufficientBuffer);
        std::memcpy(b, record, size);
        error_ = 0;
        return true;
    }
    bool AnswerTriggers(const std::vector<uint32_t>& kinds, void* b, uint32_t n, uint32_t* need) {
        const auto count = static_cast<uint32_t>(kinds.size());
        *need = sizeof(platform::ServiceTriggerInfo) + count * sizeof(platform::ServiceTrigger);
        if (b == nullptr || n < *need) return Refuse(platform::err::kInsufficientBuffer);
        auto* info = static_cast<platform::ServiceTriggerInfo*>(b);
        *info = {count, reinterpret_cast<platform::ServiceTrigger*>(info + 1), nullptr};
        for (uint32_t i = 0; i < count; ++i)
            info->triggers[i] = {kinds[i], platform::scm::kTriggerActionStart, nullptr, 0, nullptr};
        error_ = 0;
        return true;
    }

    std::map<platform::ScHandle, std::string> names_;
    uint32_t error_ = 0;
};

}  // namespace fake
