#pragma once
// A registry that hands every call to another one: a test overrides only
// the calls it answers itself.
#include "platform/RegistryApi.h"

namespace fake {

class ForwardingRegistry : public platform::RegistryApi {
public:
    explicit ForwardingRegistry(platform::RegistryApi& inner) : inner_(inner) {}

    long RegCreateKeyExA(platform::RegKey k, const char* s, uint32_t o, uint32_t a,
                         platform::RegKey* r, uint32_t* d) override {
        return inner_.RegCreateKeyExA(k, s, o, a, r, d);
    }
    long RegOpenKeyExA(platform::RegKey k, const char* s, uint32_t o, uint32_t a,
                       platform::RegKey* r) override {
        return inner_.RegOpenKeyExA(k, s, o, a, r);
    }
    long RegCloseKey(platform::RegKey k) override { return inner_.RegCloseKey(k); }
    long RegQueryValueExA(platform::RegKey k, const char* n, uint32_t* t, void* d,
                          uint32_t* s) override {
        return inner_.RegQueryValueExA(k, n, t, d, s);
    }
    long RegSetValueExA(platform::RegKey k, const char* n, uint32_t t, const void* d,
                        uint32_t s) override {
        return inner_.RegSetValueExA(k, n, t, d, s);
    }
    long RegDeleteValueA(platform::RegKey k, const char* n) override {
        return inner_.RegDeleteValueA(k, n);
    }
    long RegDeleteKeyA(platform::RegKey k, const char* s) override {
        return inner_.RegDeleteKeyA(k, s);
    }
    long RegEnumValueA(platform::RegKey k, uint32_t i, char* n, uint32_t* s) override {
        return inner_.RegEnumValueA(k, i, n, s);
    }
    long RegEnumKeyExA(platform::RegKey k, uint32_t i, char* n, uint32_t* s) override {
        return inner_.RegEnumKeyExA(k, i, n, s);
    }
    uint32_t ExpandEnvironmentStringsA(const char* s, char* b, uint32_t n) override {
        return inner_.ExpandEnvironmentStringsA(s, b, n);
    }

private:
    platform::RegistryApi& inner_;
};

}  // namespace fake
