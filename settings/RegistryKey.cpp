#include "settings/RegistryKey.h"

#include <cstring>

namespace reg = platform::reg;

namespace {
// The longest key or value name the registry keeps, with its terminator.
constexpr uint32_t kNameBuffer = 260;
// Deeper trees than the registry allows mean a loop; stop rather than recurse on.
constexpr int kMaxDepth = 512;

bool DeleteTree(platform::RegistryApi& api, platform::RegKey parent, const char* subKey, int depth,
                long* result) {
    if (depth > kMaxDepth) {
        *result = reg::kAccessDenied;
        return false;
    }
    platform::RegKey key = nullptr;
    uint32_t disposition = 0;
    *result = api.RegCreateKeyExA(parent, subKey, reg::kOptionNonVolatile, reg::kAllAccess, &key,
                                  &disposition);
    if (*result != reg::kSuccess) return false;
    for (;;) {
        char name[kNameBuffer];
        uint32_t size = kNameBuffer;
        long rc = api.RegEnumKeyExA(key, 0, name, &size);
        if (rc == reg::kNoMoreItems) break;
        if (rc != reg::kSuccess || !DeleteTree(api, key, name, depth + 1, result)) {
            if (rc != reg::kSuccess) *result = rc;
            api.RegCloseKey(key);
            return false;
        }
    }
    api.RegCloseKey(key);
    *result = api.RegDeleteKeyA(parent, subKey);
    return *result == reg::kSuccess;
}
}  // namespace

bool RegistryKey::Open(platform::RegKey parent, const char* path, bool create) {
    Close();
    platform::RegKey key = nullptr;
    long rc;
    if (create) {
        uint32_t disposition = 0;
        rc = api_.RegCreateKeyExA(parent, path, reg::kOptionNonVolatile, reg::kAllAccess, &key,
                                  &disposition);
    } else {
        rc = api_.RegOpenKeyExA(parent, path, 0, reg::kAllAccess, &key);
    }
    if (rc == reg::kSuccess) key_ = key;
    return Done(rc);
}

bool RegistryKey::Close() {
    if (key_ == nullptr) return false;
    long rc = api_.RegCloseKey(key_);
    key_ = nullptr;
    Done(rc);
    return true;
}

bool RegistryKey::ReadRaw(const char* name, std::string* bytes, uint32_t* type) {
    bytes->clear();
    if (type != nullptr) *type = reg::kNone;
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    uint32_t kind = 0, size = 0;
    long rc = api_.RegQueryValueExA(key_, name, &kind, nullptr, &size);
    if (rc != reg::kSuccess) return Done(rc);
    std::string buffer(size, '\0');
    rc = api_.RegQueryValueExA(key_, name, &kind, size ? &buffer[0] : nullptr, &size);
    if (rc != reg::kSuccess) return Done(rc);
    buffer.resize(size < buffer.size() ? size : buffer.size());
    *bytes = std::move(buffer);
    if (type != nullptr) *type = kind;
    return Done(rc);
}

int RegistryKey::ReadDword(const char* name, int def) {
    std::string bytes;
    uint32_t type;
    if (!ReadRaw(name, &bytes, &type) || type != reg::kDword || bytes.size() < 4) return def;
    int32_t value;
    std::memcpy(&value, bytes.data(), 4);
    return value;
}

std::string RegistryKey::ReadString(const char* name, const std::string& def) {
    std::string bytes;
    uint32_t type;
    if (!ReadRaw(name, &bytes, &type) || (type != reg::kSz && type != reg::kExpandSz)) return def;
    size_t nul = bytes.find('\0');
    if (nul != std::string::npos) bytes.resize(nul);
    if (type == reg::kSz || bytes.find('%') == std::string::npos) return bytes;
    // The size the platform asks for can grow between calls if the
    // environment changes; a few rounds settle it.
    std::string expanded(bytes.size() + 64, '\0');
    for (int round = 0; round < 4; ++round) {
        uint32_t size = static_cast<uint32_t>(expanded.size());
        uint32_t needed = api_.ExpandEnvironmentStringsA(bytes.c_str(), &expanded[0], size);
        if (needed == 0) return def;
        if (needed <= size) {
            expanded.resize(std::strlen(expanded.c_str()));
            return expanded;
        }
        expanded.assign(needed, '\0');
    }
    return def;
}

bool RegistryKey::WriteString(const char* name, const std::string& text) {
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    // REG_SZ keeps the terminator; an embedded NUL would end the text there anyway.
    const char* data = text.c_str();
    return Done(api_.RegSetValueExA(key_, name, reg::kSz, data,
                                    static_cast<uint32_t>(std::strlen(data) + 1)));
}

bool RegistryKey::WriteDword(const char* name, int value) {
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    int32_t v = value;
    return Done(api_.RegSetValueExA(key_, name, reg::kDword, &v, 4));
}

bool RegistryKey::DeleteValue(const char* name) {
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    return Done(api_.RegDeleteValueA(key_, name));
}

bool RegistryKey::DeleteKeyTree(const char* subKey) {
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    // An empty name would delete this key's own tree through its parent's handle rules.
    if (subKey == nullptr || *subKey == '\0') return Done(reg::kInvalidParameter);
    long rc = 0;
    DeleteTree(api_, key_, subKey, 0, &rc);
    return Done(rc);
}

bool RegistryKey::EnumValueName(uint32_t index, std::string* name) {
    name->clear();
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    char buffer[kNameBuffer];
    uint32_t size = kNameBuffer;
    long rc = api_.RegEnumValueA(key_, index, buffer, &size);
    if (rc == reg::kSuccess) name->assign(buffer, size < kNameBuffer ? size : kNameBuffer - 1);
    return Done(rc);
}

bool RegistryKey::EnumSubKeyName(uint32_t index, std::string* name) {
    name->clear();
    if (key_ == nullptr) return Done(reg::kInvalidHandle);
    char buffer[kNameBuffer];
    uint32_t size = kNameBuffer;
    long rc = api_.RegEnumKeyExA(key_, index, buffer, &size);
    if (rc == reg::kSuccess) name->assign(buffer, size < kNameBuffer ? size : kNameBuffer - 1);
    return Done(rc);
}
