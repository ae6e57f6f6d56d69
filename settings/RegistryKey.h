#pragma once
// One open registry key and the result code of the last registry call on it.
#include <string>

#include "platform/RegistryApi.h"

class RegistryKey {
public:
    explicit RegistryKey(platform::RegistryApi& api) : api_(api) {}
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Closes any open key first. With `create`, missing keys on the path are made.
    bool Open(platform::RegKey parent, const char* path, bool create);
    // True only if a key was open and is now closed.
    bool Close();
    bool IsOpen() const { return key_ != nullptr; }
    platform::RegKey Handle() const { return key_; }
    // 0 after a success, otherwise the registry's error code.
    long LastResult() const { return result_; }

    // The value's bytes and type; a null name is the key's default value.
    bool ReadRaw(const char* name, std::string* bytes, uint32_t* type = nullptr);
    // A REG_DWORD; `def` when it cannot be read, is shorter than four bytes
    // or is of another type (a text "127" is no number, and its bytes would
    // read as one).
    int ReadDword(const char* name, int def);
    // A REG_SZ up to its first NUL (or its end), or a REG_EXPAND_SZ with its
    // variables expanded; `def` when it cannot be read, cannot be expanded
    // or is of another type.
    std::string ReadString(const char* name, const std::string& def);
    bool WriteString(const char* name, const std::string& text);
    bool WriteDword(const char* name, int value);
    bool DeleteValue(const char* name);
    // Deletes `subKey` of this key with everything beneath it.
    bool DeleteKeyTree(const char* subKey);
    // False at the end (name emptied) or on an error.
    bool EnumValueName(uint32_t index, std::string* name);
    bool EnumSubKeyName(uint32_t index, std::string* name);

private:
    bool Done(long result) {
        result_ = result;
        return result == platform::reg::kSuccess;
    }

    platform::RegistryApi& api_;
    platform::RegKey key_ = nullptr;
    long result_ = 0;
};
