#include "tests/fakes/FakeRegistry.h"

#include <cstring>

namespace reg = platform::reg;

namespace fake {

namespace {
std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The registry ignores case beyond ASCII too: in the 8-bit code page of a
// Western machine, the letters with accents and the few in 0x80..0x9F.
unsigned char Upper(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

int CompareNoCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        unsigned char x = Upper(static_cast<unsigned char>(*a));
        unsigned char y = Upper(static_cast<unsigned char>(*b));
        if (x != y || x == 0) return x < y ? -1 : x > y ? 1 : 0;
    }
}

bool SameName(const std::string& a, const char* b) {
    return CompareNoCase(a.c_str(), b != nullptr ? b : "") == 0;
}
}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return CompareNoCase(a.c_str(), b.c_str()) < 0;
}

Registry::Key* Registry::Walk(const std::string& path, bool create, bool* created) {
    Key* key = &root_;
    if (created != nullptr) *created = false;
    for (const std::string& part : Split(path)) {
        auto it = key->subKeys.find(part);
        if (it == key->subKeys.end()) {
            if (!create) return nullptr;
            it = key->subKeys.emplace(part, std::make_unique<Key>()).first;
            if (created != nullptr) *created = true;
        }
        key = it->second.get();
    }
    return key;
}

const Registry::Key* Registry::Walk(const std::string& path) const {
    return const_cast<Registry*>(this)->Walk(path, false);
}

bool Registry::Resolve(platform::RegKey key, const char* subKey, std::string* path) const {
    if (key == reg::CurrentUser()) {
        path->clear();
    } else {
        auto it = handles_.find(key);
        if (it == handles_.end()) return false;
        *path = it->second;
    }
    if (subKey != nullptr && *subKey != '\0') {
        if (!path->empty()) *path += '\\';
        *path += subKey;
    }
    return true;
}

bool Registry::Denied(const std::string& path) const {
    for (const std::string& denied : deniedKeys)
        if (CompareNoCase(denied.c_str(), path.c_str()) == 0) return true;
    return false;
}

Registry::Value* Registry::FindValue(Key& key, const char* name) {
    for (Value& v : key.values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

bool Registry::KeyExists(const std::string& path) const {
    return Walk(path) != nullptr;
}

void Registry::PutRaw(const std::string& path, const std::string& name, uint32_t type,
                      const std::string& bytes) {
    Key& key = *Walk(path, true);
    Value* v = FindValue(key, name.c_str());
    if (v == nullptr) {
        key.values.push_back({name, type, bytes});
    } else {
        v->type = type;
        v->data = bytes;
    }
}

void Registry::PutString(const std::string& path, const std::string& name,
                         const std::string& text) {
    PutRaw(path, name, reg::kSz, std::string(text.c_str(), text.size() + 1));
}

void Registry::PutDword(const std::string& path, const std::string& name, uint32_t value) {
    PutRaw(path, name, reg::kDword, std::string(reinterpret_cast<const char*>(&value), 4));
}

const Registry::Value* Registry::Find(const std::string& path, const std::string& name) const {
    Key* key = const_cast<Registry*>(this)->Walk(path, false);
    return key == nullptr ? nullptr : const_cast<Registry*>(this)->FindValue(*key, name.c_str());
}

std::vector<std::string> Registry::ValueNames(const std::string& path) const {
    std::vector<std::string> names;
    if (const Key* key = Walk(path))
        for (const Value& v : key->values) names.push_back(v.name);
    return names;
}

std::vector<std::string> Registry::SubKeys(const std::string& path) const {
    std::vector<std::string> names;
    if (const Key* key = Walk(path))
        for (const auto& entry : key->subKeys) names.push_back(entry.first);
    return names;
}

long Registry::RegCreateKeyExA(platform::RegKey key, const char* subKey, uint32_t, uint32_t,
                               platform::RegKey* result, uint32_t* disposition) {
    *result = nullptr;
    std::string path;
    if (!Resolve(key, subKey, &path)) return reg::kInvalidHandle;
    if (Denied(path)) return reg::kAccessDenied;
    bool created = false;
    Walk(path, true, &created);
    if (disposition != nullptr)
        *disposition =
            created ? reg::kDispositionCreatedNewKey : reg::kDispositionOpenedExistingKey;
    *result = reinterpret_cast<platform::RegKey>(nextHandle_++);
    handles_[*result] = path;
    return reg::kSuccess;
}

long Registry::RegOpenKeyExA(platform::RegKey key, const char* subKey, uint32_t, uint32_t,
                             platform::RegKey* result) {
    *result = nullptr;
    std::string path;
    if (!Resolve(key, subKey, &path)) return reg::kInvalidHandle;
    if (Walk(path) == nullptr) return reg::kFileNotFound;
    if (Denied(path)) return reg::kAccessDenied;
    *result = reinterpret_cast<platform::RegKey>(nextHandle_++);
    handles_[*result] = path;
    return reg::kSuccess;
}

long Registry::RegCloseKey(platform::RegKey key) {
    return handles_.erase(key) != 0 ? reg::kSuccess : reg::kInvalidHandle;
}

long Registry::RegQueryValueExA(platform::RegKey key, const char* name, uint32_t* type, void* data,
                                uint32_t* size) {
    std::string path;
    if (!Resolve(key, nullptr, &path)) return reg::kInvalidHandle;
    Key* k = Walk(path, false);
    if (k == nullptr) return reg::kInvalidHandle;
    Value* v = FindValue(*k, name);
    if (v == nullptr) return reg::kFileNotFound;
    if (type != nullptr) *type = v->type;
    if (size == nullptr) return data == nullptr ? reg::kSuccess : reg::kInvalidParameter;
    uint32_t have = *size;
    *size = static_cast<uint32_t>(v->data.size());
    if (data == nullptr) return reg::kSuccess;
    if (have < v->data.size()) return reg::kMoreData;
    std::memcpy(data, v->data.data(), v->data.size());
    return reg::kSuccess;
}

long Registry::RegSetValueExA(platform::RegKey key, const char* name, uint32_t type,
                              const void* data, uint32_t size) {
    std::string path;
    if (!Resolve(key, nullptr, &path) || Walk(path) == nullptr) return reg::kInvalidHandle;
    if (failWrites) return reg::kAccessDenied;
    PutRaw(path, name != nullptr ? name : "", type,
           std::string(static_cast<const char*>(data), size));
    return reg::kSuccess;
}

long Registry::RegDeleteValueA(platform::RegKey key, const char* name) {
    std::string path;
    if (!Resolve(key, nullptr, &path)) return reg::kInvalidHandle;
    Key* k = Walk(path, false);
    if (k == nullptr) return reg::kInvalidHandle;
    if (failWrites) return reg::kAccessDenied;
    for (auto it = k->values.begin(); it != k->values.end(); ++it) {
        if (SameName(it->name, name)) {
            k->values.erase(it);
            return reg::kSuccess;
        }
    }
    return reg::kFileNotFound;
}

long Registry::RegDeleteKeyA(platform::RegKey key, const char* subKey) {
    std::string path;
    if (!Resolve(key, subKey, &path)) return reg::kInvalidHandle;
    std::vector<std::string> parts = Split(path);
    if (parts.empty()) return reg::kAccessDenied;
    std::string leaf = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const std::string& p : parts) parentPath += (parentPath.empty() ? "" : "\\") + p;
    Key* parent = Walk(parentPath, false);
    if (parent == nullptr) return reg::kFileNotFound;
    auto it = parent->subKeys.find(leaf);
    if (it == parent->subKeys.end()) return reg::kFileNotFound;
    if (failKeyDeletes || !it->second->subKeys.empty()) return reg::kAccessDenied;
    parent->subKeys.erase(it);
    return reg::kSuccess;
}

namespace {
long CopyName(const std::string& source, char* name, uint32_t* nameSize) {
    if (source.size() + 1 > *nameSize) return reg::kMoreData;
    std::memcpy(name, source.c_str(), source.size() + 1);
    *nameSize = static_cast<uint32_t>(source.size());
    return reg::kSuccess;
}
}  // namespace

long Registry::RegEnumValueA(platform::RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
    std::string path;
    if (!Resolve(key, nullptr, &path)) return reg::kInvalidHandle;
    Key* k = Walk(path, false);
    if (k == nullptr) return reg::kInvalidHandle;
    if (index >= k->values.size()) return reg::kNoMoreItems;
    return CopyName(k->values[index].name, name, nameSize);
}

long Registry::RegEnumKeyExA(platform::RegKey key, uint32_t index, char* name, uint32_t* nameSize) {
    std::string path;
    if (!Resolve(key, nullptr, &path)) return reg::kInvalidHandle;
    Key* k = Walk(path, false);
    if (k == nullptr) return reg::kInvalidHandle;
    if (index >= k->subKeys.size()) return reg::kNoMoreItems;
    auto it = k->subKeys.begin();
    std::advance(it, index);
    return CopyName(it->first, name, nameSize);
}

// As the platform: "%NAME%" of a known variable becomes its value, anything
// else stays as written.
uint32_t Registry::ExpandEnvironmentStringsA(const char* source, char* buffer, uint32_t size) {
    std::string out;
    for (const char* p = source; *p;) {
        const char* close = *p == '%' ? std::strchr(p + 1, '%') : nullptr;
        auto it = close ? environment.find(std::string(p + 1, close)) : environment.end();
        if (it != environment.end()) {
            out += it->second;
            p = close + 1;
        } else {
            out += *p++;
        }
    }
    uint32_t needed = static_cast<uint32_t>(out.size() + 1);
    if (needed <= size) std::memcpy(buffer, out.c_str(), needed);
    return needed;
}

}  // namespace fake
