#pragma once
// A service control manager that hands every call to another one: a test
// overrides only the calls it answers itself.
#include "platform/ScmApi.h"

namespace fake {

class ForwardingScm : public platform::ScmApi {
public:
    explicit ForwardingScm(platform::ScmApi& inner) : inner_(inner) {}

    platform::ScHandle OpenSCManagerA(const char* m, const char* d, uint32_t a) override {
        return inner_.OpenSCManagerA(m, d, a);
    }
    bool EnumServicesStatusA(platform::ScHandle m, uint32_t t, uint32_t s, void* b, uint32_t n,
                             uint32_t* need, uint32_t* ret, uint32_t* resume) override {
        return inner_.EnumServicesStatusA(m, t, s, b, n, need, ret, resume);
    }
    platform::ScHandle OpenServiceA(platform::ScHandle m, const char* n, uint32_t a) override {
        return inner_.OpenServiceA(m, n, a);
    }
    bool QueryServiceStatus(platform::ScHandle h, platform::ServiceStatus* s) override {
        return inner_.QueryServiceStatus(h, s);
    }
    bool QueryServiceConfigA(platform::ScHandle h, void* b, uint32_t n, uint32_t* need) override {
        return inner_.QueryServiceConfigA(h, b, n, need);
    }
    bool QueryServiceConfig2A(platform::ScHandle h, uint32_t l, void* b, uint32_t n,
                              uint32_t* need) override {
        return inner_.QueryServiceConfig2A(h, l, b, n, need);
    }
    bool ChangeServiceConfigA(platform::ScHandle h, uint32_t t, uint32_t s, uint32_t e,
                              const char* b, const char* g, uint32_t* tag, const char* d,
                              const char* a, const char* p, const char* n) override {
        return inner_.ChangeServiceConfigA(h, t, s, e, b, g, tag, d, a, p, n);
    }
    bool ChangeServiceConfig2A(platform::ScHandle h, uint32_t l, void* i) override {
        return inner_.ChangeServiceConfig2A(h, l, i);
    }
    bool StartServiceA(platform::ScHandle h, uint32_t n, const char** a) override {
        return inner_.StartServiceA(h, n, a);
    }
    bool ControlService(platform::ScHandle h, uint32_t c, platform::ServiceStatus* s) override {
        return inner_.ControlService(h, c, s);
    }
    bool CloseServiceHandle(platform::ScHandle h) override { return inner_.CloseServiceHandle(h); }
    uint32_t GetLastError() override { return inner_.GetLastError(); }
    std::string FormatMessageA(uint32_t code) override { return inner_.FormatMessageA(code); }
    int lstrcmpiA(const char* a, const char* b) override { return inner_.lstrcmpiA(a, b); }

private:
    platform::ScmApi& inner_;
};

}  // namespace fake
