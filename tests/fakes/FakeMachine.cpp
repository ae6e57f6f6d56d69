#include "tests/fakes/FakeMachine.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace sc = platform::scm;

namespace fake {

namespace {

// The kinds of one copy of the machine, in the order they are added.
struct Kind {
    uint32_t type;
    uint32_t count;
};
const Kind kKinds[] = {
    {sc::kTypeWin32ShareProcess, 100},
    {sc::kTypeWin32OwnProcess, 55},
    {sc::kTypeWin32OwnProcess | sc::kTypeInteractive, 5},
    {sc::kTypeWin32ShareProcess | sc::kTypeUserService, 10},
    {sc::kTypeWin32OwnProcess | sc::kTypeUserService, 4},
    {sc::kTypeKernelDriver, 90},
    {sc::kTypeFileSystemDriver, 18},
    {sc::kTypeRecognizerDriver, 2},
    {sc::kTypeAdapter, 2},
};
// Each template has one instance, added after the kinds above.

// Words of the names and texts; the display names carry letters of code
// page 1252 beyond ASCII, as a Spanish or German machine's do.
const char* const kWords[] = {
    "Audio",
    "Red",
    "Disco",
    "Energ\xED"
    "a",
    "Se\xF1"
    "al",
    "\xDC"
    "ber",
    "Caf\xE9",
    "Gesti\xF3n",
    "Registro",
    "Impresi\xF3n",
    "Tel\xE9"
    "fono",
    "Pantalla",
    "Bluetooth",
    "Sincronizaci\xF3n",
    "Copia",
    "Actualizaci\xF3n",
    "Seguridad",
    "Pr\xFC"
    "fung",
    "Sensor",
    "Ubicaci\xF3n",
    "Cifrado",
    "Tienda",
    "Juego",
    "Tiempo",
    "Cach\xE9",
    "Usuario",
    "Escritorio",
};
const char* const kGroups[] = {
    "Base",
    "Boot Bus Extender",
    "System Bus Extender",
    "SCSI miniport",
    "PNP_TDI",
    "NDIS",
    "Network",
    "Filter",
    "FSFilter Infrastructure",
    "Event Log",
    "AudioGroup",
    "Extended Base",
};
const char* const kAccounts[] = {"LocalSystem", "NT AUTHORITY\\LocalService",
                                 "NT AUTHORITY\\NetworkService"};
const uint32_t kTriggerKinds[] = {1, 2, 3, 4, 5, 6, 20};

class Builder {
public:
    Builder(Scm& scm, uint32_t copy) : scm_(scm), copy_(copy), random_(20261208u + copy) {}

    void AddCopy(Workstation* made);

private:
    uint32_t Pick(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(random_() % n); }
    bool Chance(uint32_t percent) { return Pick(100) < percent; }
    const char* Word() { return kWords[Pick(sizeof kWords / sizeof *kWords)]; }
    std::string Name(uint32_t type, uint32_t index) const;
    std::string Description();
    Service& AddOne(uint32_t type, uint32_t index, Workstation* made,
                    const std::string& name = std::string());
    void Configure(Service& s, bool driver, Workstation* made);
    void Depend(Service& s, uint32_t index);

    Scm& scm_;
    uint32_t copy_;
    std::mt19937 random_;
    std::vector<std::string> names_;  // of this copy, in order
    std::vector<uint32_t> depth_;     // each one's chain, itself included
    std::vector<Service*> templates_;
};

std::string Builder::Name(uint32_t type, uint32_t index) const {
    const char* prefix = (type & sc::kTypeDriver)        ? "drv"
                         : (type & sc::kTypeAdapter)     ? "adp"
                         : (type & sc::kTypeUserService) ? "UserSvc"
                                                         : "Svc";
    char name[48];
    std::snprintf(name, sizeof name, "%s%03u%s", prefix, index,
                  copy_ == 0 ? "" : ("_" + std::to_string(copy_)).c_str());
    return name;
}

std::string Builder::Description() {
    if (Chance(10)) return std::string();
    std::string text;
    for (uint32_t words = 20 + Pick(80); words > 0; --words) text += std::string(Word()) + " ";
    text += "(servicio de ejemplo).";
    return text;
}

Service& Builder::AddOne(uint32_t type, uint32_t index, Workstation* made,
                         const std::string& name) {
    std::string display = std::string(Word()) + " " + Word() + " " + std::to_string(index);
    uint32_t roll = Pick(100);
    uint32_t state = roll < 45   ? sc::kRunning
                     : roll < 90 ? sc::kStopped
                                 : sc::kStartPending + (roll - 90) % 6;  // pending and paused
    Service& s = scm_.Add(name.empty() ? Name(type, index) : name, display, state);
    s.status.serviceType = type;
    s.pendingPolls = -1;  // a pending one stays so while a test looks
    s.description = Description();
    bool driver = (type & (sc::kTypeDriver | sc::kTypeAdapter)) != 0;
    Configure(s, driver, made);
    names_.push_back(s.name);
    depth_.push_back(1);
    Depend(s, static_cast<uint32_t>(names_.size() - 1));
    made->deepestDependency = std::max(made->deepestDependency, depth_.back());
    ++made->services;
    ++((type & sc::kTypeAdapter) ? made->adapters : driver ? made->drivers : made->win32);
    return s;
}

void Builder::Configure(Service& s, bool driver, Workstation* made) {
    uint32_t roll = Pick(100);
    if (driver) {
        s.startType = roll < 15 ? 0 : roll < 35 ? 1 : roll < 90 ? 3 : 4;
        s.binaryPath = "\\SystemRoot\\System32\\drivers\\" + s.name + ".sys";
        s.account.clear();
        s.group = Chance(70) ? kGroups[Pick(sizeof kGroups / sizeof *kGroups)] : "";
        s.tag = s.group.empty() ? 0 : 1 + Pick(40);
        return;
    }
    s.startType = roll < 35 ? sc::kAutoStart : roll < 85 ? sc::kDemandStart : 4;
    s.delayedAutoStart = s.startType == sc::kAutoStart && Chance(30);
    made->delayed += s.delayedAutoStart ? 1 : 0;
    if (s.startType == sc::kDemandStart && Chance(40)) {
        for (uint32_t n = 1 + Pick(3); n > 0; --n)
            s.triggers.push_back(kTriggerKinds[Pick(sizeof kTriggerKinds / sizeof *kTriggerKinds)]);
        ++made->triggered;
    }
    s.account = kAccounts[Pick(3)];
    s.binaryPath = (s.status.serviceType & sc::kTypeWin32ShareProcess)
                       ? "C:\\Windows\\system32\\svchost.exe -k Grupo" + std::to_string(Pick(20))
                       : "C:\\Program Files\\Proveedor\\" + s.name + ".exe";
    s.group = Chance(15) ? kGroups[Pick(sizeof kGroups / sizeof *kGroups)] : "";
    if (Chance(30)) s.failureActions = {{1, 60000}, {1, 120000}, {0, 0}};
}

// Dependencies reach back within the copy, so chains grow several deep;
// now and then a group stands among them.
void Builder::Depend(Service& s, uint32_t index) {
    if (index < 4 || !Chance(40)) return;
    for (uint32_t n = 1 + Pick(2); n > 0; --n) {
        uint32_t on = index - 1 - Pick(std::min<uint32_t>(index, 12));
        s.dependencies += names_[on] + '\0';
        depth_[index] = std::max(depth_[index], depth_[on] + 1);
    }
    if (Chance(10)) s.dependencies += std::string("+") + kGroups[Pick(4)] + '\0';
}

void Builder::AddCopy(Workstation* made) {
    uint32_t index = 0;
    for (const Kind& kind : kKinds) {
        for (uint32_t i = 0; i < kind.count; ++i) {
            Service& s = AddOne(kind.type, index++, made);
            if (kind.type & sc::kTypeUserService) {
                templates_.push_back(&s);
                ++made->userTemplates;
            }
        }
    }
    // The system names an instance after its template and the user's session.
    for (Service* of : templates_) {
        char luid[16];
        std::snprintf(luid, sizeof luid, "_%05x", 0x3c9a1u + index);
        uint32_t type = of->status.serviceType | sc::kTypeUserServiceInstance;
        Service& instance = AddOne(type, index++, made, of->name + luid);
        instance.displayName = of->displayName + luid;
        ++made->userInstances;
    }
    // A few whose configuration a standard user may not read.
    for (uint32_t i : {7u, 61u, 130u}) {
        if (Service* s = scm_.Get(names_[i])) s->configDenied = true;
        ++made->denied;
    }
}

}  // namespace

Workstation AddWorkstation(Scm& scm, uint32_t scale) {
    Workstation made;
    for (uint32_t copy = 0; copy < std::max<uint32_t>(scale, 1); ++copy)
        Builder(scm, copy).AddCopy(&made);
    return made;
}

}  // namespace fake
