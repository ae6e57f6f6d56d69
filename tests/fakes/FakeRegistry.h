#pragma once
// An in-memory registry under HKEY_CURRENT_USER: keys with case-insensitive
// names, typed values in creation order, the platform's error codes, and
// failures injected by key path.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/RegistryApi.h"

namespace fake {

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class Registry : public platform::RegistryApi {
public:
    struct Value {
        std::string name;
        uint32_t type = platform::reg::kSz;
        std::string data;  // raw bytes, as stored
    };

    // Paths are relative to HKEY_CURRENT_USER, "A\\B\\C".
    bool KeyExists(const std::string& path) const;
    // Creates the key (and its parents) when missing.
    void PutString(const std::string& path, const std::string& name, const std::string& text);
    void PutDword(const std::string& path, const std::string& name, uint32_t value);
    void PutRaw(const std::string& path, const std::string& name, uint32_t type,
                const std::string& bytes);
    // Null when the key or the value is missing.
    const Value* Find(const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    std::vector<std::string> SubKeys(const std::string& path) const;
    int OpenHandles() const { return static_cast<int>(handles_.size()); }

    // Opening (or creating) a key whose path is listed fails with access denied.
    std::set<std::string> deniedKeys;
    // Every value write fails with access denied.
    bool failWrites = false;
    // Every deletion of a key fails with access denied.
    bool failKeyDeletes = false;
    // The variables ExpandEnvironmentStringsA knows, by name ignoring case.
    std::map<std::string, std::string, NoCaseLess> environment;

    long RegCreateKeyExA(platform::RegKey key, const char* subKey, uint32_t options,
                         uint32_t access, platform::RegKey* result, uint32_t* disposition) override;
    long RegOpenKeyExA(platform::RegKey key, const char* subKey, uint32_t options, uint32_t access,
                       platform::RegKey* result) override;
    long RegCloseKey(platform::RegKey key) override;
    long RegQueryValueExA(platform::RegKey key, const char* name, uint32_t* type, void* data,
                          uint32_t* size) override;
    long RegSetValueExA(platform::RegKey key, const char* name, uint32_t type, const void* data,
                        uint32_t size) override;
    long RegDeleteValueA(platform::RegKey key, const char* name) override;
    long RegDeleteKeyA(platform::RegKey key, const char* subKey) override;
    long RegEnumValueA(platform::RegKey key, uint32_t index, char* name,
                       uint32_t* nameSize) override;
    long RegEnumKeyExA(platform::RegKey key, uint32_t index, char* name,
                       uint32_t* nameSize) override;
    uint32_t ExpandEnvironmentStringsA(const char* source, char* buffer, uint32_t size) override;

private:
    struct Key {
        std::vector<Value> values;
        std::map<std::string, std::unique_ptr<Key>, NoCaseLess> subKeys;
    };

    Key* Walk(const std::string& path, bool create, bool* created = nullptr);
    const Key* Walk(const std::string& path) const;
    // The full path of a handle joined with `subKey`; false for an unknown handle.
    bool Resolve(platform::RegKey key, const char* subKey, std::string* path) const;
    bool Denied(const std::string& path) const;
    Value* FindValue(Key& key, const char* name);

    Key root_;
    std::map<platform::RegKey, std::string> handles_;
    uintptr_t nextHandle_ = 0x1000;
};

}  // namespace fake
