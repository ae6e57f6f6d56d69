// "Restaurar servicios" reads whatever file the user picks, then compares it
// with the services of the machine.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "document/ChangeList.h"
#include "document/SnapshotFile.h"

namespace {

class InputFile : public platform::File {
public:
    InputFile(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override {
        size_t n = size < size_ - pos_ ? size : size_ - pos_;
        if (n != 0) std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        *bytesRead = static_cast<uint32_t>(n);
        return true;
    }
    bool Write(const void*, uint32_t) override { return false; }
    bool Flush() override { return true; }
    bool SeekToEnd() override {
        pos_ = size_;
        return true;
    }
    uint64_t Size() override { return size_; }
    bool Close() override { return true; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A machine with a few services whose names collide in letter case, in
// letters of the code page and in repeats; the comparison folds Latin-1.
class Machine : public platform::ScmApi {
public:
    struct Svc {
        const char* name;
        const char* display;
        uint32_t state;
    };
    std::vector<Svc> services{
        {"Alpha", "Alpha", 4}, {"beta", "Beta", 1}, {"\xC9t\xE9", "Summer", 4},
        {"svc-1", "One", 7},   {"Dup", "First", 4}, {"dUP", "Second", 1},
        {"a b", "", 2}};

    platform::ScHandle OpenSCManagerA(const char*, const char*, uint32_t) override { return this; }
    bool EnumServicesStatusA(platform::ScHandle, uint32_t, uint32_t, void* buffer, uint32_t bufSize,
                             uint32_t* bytesNeeded, uint32_t* returned, uint32_t*) override {
        size_t need = services.size() * sizeof(platform::EnumServiceStatus);
        for (const Svc& s : services) need += std::strlen(s.name) + std::strlen(s.display) + 2;
        *bytesNeeded = static_cast<uint32_t>(need);
        if (buffer == nullptr || bufSize < need) return false;
        auto* records = static_cast<platform::EnumServiceStatus*>(buffer);
        char* text = reinterpret_cast<char*>(records + services.size());
        for (size_t i = 0; i < services.size(); ++i) {
            records[i].serviceName = std::strcpy(text, services[i].name);
            text += std::strlen(text) + 1;
            records[i].displayName = std::strcpy(text, services[i].display);
            text += std::strlen(text) + 1;
            records[i].status = {0x10, services[i].state, 1, 0, 0, 0, 0};
        }
        *returned = static_cast<uint32_t>(services.size());
        return true;
    }
    platform::ScHandle OpenServiceA(platform::ScHandle, const char*, uint32_t) override {
        return nullptr;
    }
    bool QueryServiceStatus(platform::ScHandle, platform::ServiceStatus*) override { return false; }
    bool QueryServiceConfigA(platform::ScHandle, void*, uint32_t, uint32_t*) override {
        return false;
    }
    bool QueryServiceConfig2A(platform::ScHandle, uint32_t, void*, uint32_t, uint32_t*) override {
        return false;
    }
    bool ChangeServiceConfigA(platform::ScHandle, uint32_t, uint32_t, uint32_t, const char*,
                              const char*, uint32_t*, const char*, const char*, const char*,
                              const char*) override {
        return false;
    }
    bool ChangeServiceConfig2A(platform::ScHandle, uint32_t, void*) override { return false; }
    bool StartServiceA(platform::ScHandle, uint32_t, const char**) override { return false; }
    bool ControlService(platform::ScHandle, uint32_t, platform::ServiceStatus*) override {
        return false;
    }
    bool CloseServiceHandle(platform::ScHandle) override { return true; }
    uint32_t GetLastError() override { return 5; }
    std::string FormatMessageA(uint32_t) override { return std::string(); }
    int lstrcmpiA(const char* a, const char* b) override {
        for (;; ++a, ++b) {
            unsigned char ca = Fold(static_cast<unsigned char>(*a));
            unsigned char cb = Fold(static_cast<unsigned char>(*b));
            if (ca != cb) return ca < cb ? -1 : 1;
            if (ca == 0) return 0;
        }
    }

private:
    static unsigned char Fold(unsigned char c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
        return c;
    }
};

using Record = std::tuple<std::string, std::string, int32_t, uint32_t, uint32_t>;

std::vector<Record> Records(const ChangeList& changes) {
    std::vector<Record> out;
    for (int i = 0; i < changes.GetCount(); ++i) {
        const ServiceChange* c = changes.GetChange(i);
        out.emplace_back(c->name, c->displayName, c->kind, c->oldState, c->newState);
    }
    return out;
}

// The matching rule as nested scans; one side is always the small machine.
std::vector<Record> Nested(platform::ScmApi& api, const ServiceEntryArray& n,
                           const ServiceEntryArray& o) {
    std::vector<Record> added;
    for (int j = 0; j < o.GetCount(); ++j) {
        const ServiceEntry* oe = o.GetEntry(j);
        const ServiceEntry* ne = nullptr;
        for (int i = 0; i < n.GetCount() && ne == nullptr; ++i)
            if (api.lstrcmpiA(oe->name, n.GetEntry(i)->name) == 0) ne = n.GetEntry(i);
        if (ne == nullptr) {
            added.emplace_back(oe->name, oe->displayName, 2, oe->currentState, 1);
            continue;
        }
        int32_t kind = (std::strcmp(oe->displayName, ne->displayName) ? 4 : 0) |
                       (oe->serviceType != ne->serviceType ? 8 : 0) |
                       (oe->currentState != ne->currentState ? 16 : 0) |
                       (oe->controlsAccepted != ne->controlsAccepted ? 32 : 0);
        if (kind)
            added.emplace_back(ne->name, ne->displayName, kind, oe->currentState, ne->currentState);
    }
    for (int i = 0; i < n.GetCount(); ++i) {
        bool found = false;
        for (int j = 0; j < o.GetCount() && !found; ++j)
            found = api.lstrcmpiA(n.GetEntry(i)->name, o.GetEntry(j)->name) == 0;
        if (!found)
            added.emplace_back(n.GetEntry(i)->name, n.GetEntry(i)->displayName, 1, 1,
                               n.GetEntry(i)->currentState);
    }
    return std::vector<Record>(added.rbegin(), added.rend());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Machine machine;
    static ServiceList list(machine);
    static ServiceEntryArray current;
    if (list.GetCount() == 0 && (!list.Enumerate() || !current.CopyFrom(list))) __builtin_trap();

    InputFile file(data, size);
    SnapshotFile snapshot;
    ServiceEntryArray saved;
    bool read = snapshot.Read(saved, file);
    // A successful read fills every slot with a named entry.
    if (read != (saved.GetCount() > 0)) __builtin_trap();
    for (int i = 0; i < saved.GetCount(); ++i) {
        const ServiceEntry* e = saved.GetEntry(i);
        if (e == nullptr || e->name[0] == '\0') __builtin_trap();
    }

    ChangeList changes(machine);
    InputFile again(data, size);
    bool compared = changes.CompareWithSnapshot(list, again);
    if (compared != (read && changes.GetLastError() == kChangeErrNone)) __builtin_trap();
    if (!read) return 0;
    if (compared && Records(changes) != Nested(machine, current, saved)) __builtin_trap();

    // Both directions, whatever the header said.
    changes.Diff(current, saved);
    if (Records(changes) != Nested(machine, current, saved)) __builtin_trap();
    changes.Diff(saved, current);
    if (Records(changes) != Nested(machine, saved, current)) __builtin_trap();
    return 0;
}
