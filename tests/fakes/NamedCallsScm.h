#pragma once
// A service control manager that names each call ("OpenServiceA", ...) to
// its subclass before handing it on: the base of the decorators that count,
// time or aim at calls by their kind.
#include "tests/fakes/ForwardingScm.h"

namespace fake {

class NamedCallsScm : public ForwardingScm {
public:
    using ForwardingScm::ForwardingScm;

    platform::ScHandle OpenSCManagerA(const char* m, const char* d, uint32_t a) override {
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

protected:
    // Before the call is handed on, on the caller's thread.
    virtual void Call(const char* name) = 0;
};

}  // namespace fake
