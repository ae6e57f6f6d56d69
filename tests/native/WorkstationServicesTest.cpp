// The services of a Windows 10 or 11 workstation through the core: the
// start type's delayed and trigger flags and what reading them costs,
// per-user services, configurations the user may not read, and trigger
// records that claim more than their buffer holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "document/ChangeList.h"
#include "document/ServiceCommands.h"
#include "res/resource.h"
#include "scm/ServiceList.h"
#include "tests/fakes/FakeMachine.h"
#include "tests/fakes/MeteredScm.h"
#include "views/ServiceListModel.h"
#include "views/ServiceProperties.h"
#include "views/ServiceTreeModel.h"

namespace sc = platform::scm;

namespace {

class WorkstationServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        made = fake::AddWorkstation(scm);
        list.driver = 1;
        ASSERT_TRUE(list.Enumerate());
        ASSERT_EQ(list.GetCount(), made.services - made.adapters);
    }

    fake::Scm scm;
    fake::Workstation made;
    fake::MeteredScm metered{scm};
    ServiceList list{metered};
};

// What the start type column shows, row by row as the list reads it: with
// the column hidden no call beyond the configuration's, shown one at most.
TEST_F(WorkstationServicesTest, StartFlagsCostOneCallPerRowAtMostAndOnlyWhenShown) {
    auto readAll = [&](bool shown, uint32_t* delayed, uint32_t* triggered, uint32_t* denied) {
        metered.Reset();
        for (uint32_t i = 0; i < list.GetCount(); ++i) {
            platform::ServiceConfigRecord* config = nullptr;
            StartFlags flags;
            const char* name = list.EntryAt(i)->name;
            bool read = shown ? list.QueryConfigAndStart(name, &config, &flags)
                              : list.QueryConfig(name, &config);
            if (read) {
                StartTypeCell cell = StartTypeCellOf(config->startType, flags);
                *delayed += cell.id == IDS_START_TYPE_DELAYED;
                *triggered += cell.triggered;
            } else {
                *denied += list.GetPlatformError() == platform::err::kAccessDenied;
            }
            ServiceList::FreeBuffer(config);
        }
    };
    uint32_t delayed = 0, triggered = 0, denied = 0;
    readAll(false, &delayed, &triggered, &denied);
    EXPECT_EQ(metered.Count("QueryServiceConfig2A"), 0);
    const int hiddenCalls = metered.Total();
    EXPECT_EQ(delayed + triggered, 0u);
    EXPECT_EQ(denied, made.denied);

    delayed = triggered = denied = 0;
    readAll(true, &delayed, &triggered, &denied);
    EXPECT_LE(metered.Count("QueryServiceConfig2A"), static_cast<int>(made.services));
    EXPECT_LE(metered.Total(), hiddenCalls + static_cast<int>(made.services));
    EXPECT_EQ(denied, made.denied);
    // The generator's counts include the few denied ones, which show neither.
    EXPECT_GT(delayed, 0u);
    EXPECT_GT(triggered, 0u);
    EXPECT_LE(made.delayed - delayed + made.triggered - triggered, made.denied * 2);
}

TEST_F(WorkstationServicesTest, TriggersWhoseRecordIsLargerThanTheListsBufferStillShow) {
    fake::Service* s = scm.Get(list.EntryAt(0)->name);
    s->configDenied = false;
    s->startType = sc::kDemandStart;
    s->triggers.assign(100, 2);  // more than the one query's buffer holds
    platform::ServiceConfigRecord* config = nullptr;
    StartFlags flags;
    ASSERT_TRUE(list.QueryConfigAndStart(s->name.c_str(), &config, &flags));
    EXPECT_TRUE(flags.triggered);
    ServiceList::FreeBuffer(config);
    // Stop triggers alone do not make a trigger start.
    s->triggers = {4};
    s->stopTriggers = {4};
    ASSERT_TRUE(list.QueryConfigAndStart(s->name.c_str(), &config, &flags));
    EXPECT_FALSE(flags.triggered);
    ServiceList::FreeBuffer(config);
}

TEST_F(WorkstationServicesTest, PerUserServicesHaveTheirCategoryAndTheirKind) {
    ServiceTreeModel tree;
    tree.SetUserServicesTitle("Servicios de usuario");
    tree.Build(ServiceTreeModel::kByType, list);
    const uint32_t users = made.userTemplates + made.userInstances;
    std::vector<int> found = tree.Matches("Servicios de usuario (" + std::to_string(users) + ")");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(tree.Nodes()[static_cast<size_t>(found[0])].parent, -1);
    uint32_t templates = 0, instances = 0;
    for (const TreeNode& node : tree.Nodes()) {
        if (node.parent != found[0]) continue;
        uint32_t type = list.EntryAt(static_cast<uint32_t>(node.entry))->serviceType;
        templates += UserServiceKindTextId(type) == IDS_USER_TEMPLATE;
        instances += UserServiceKindTextId(type) == IDS_USER_INSTANCE;
    }
    EXPECT_EQ(templates, made.userTemplates);
    EXPECT_EQ(instances, made.userInstances);
    EXPECT_EQ(ServiceTypeNames(0xE0),
              "SERVICE_WIN32_SHARE_PROCESS | SERVICE_USER_SERVICE | SERVICE_USERSERVICE_INSTANCE");
    EXPECT_EQ(UserServiceKindTextId(sc::kTypeWin32OwnProcess), 0u);
}

// An instance ends when its user signs out: between the enumeration and
// the query it is gone, and the row keeps what the enumeration told.
TEST_F(WorkstationServicesTest, AnInstanceGoneBeforeItsQueryFailsThatRowAlone) {
    const ServiceEntry* instance = nullptr;
    for (uint32_t i = 0; i < list.GetCount() && !instance; ++i)
        if (list.EntryAt(i)->serviceType & sc::kTypeUserServiceInstance) instance = list.EntryAt(i);
    ASSERT_NE(instance, nullptr);
    scm.Remove(instance->name);
    platform::ServiceConfigRecord* config = nullptr;
    StartFlags flags;
    EXPECT_FALSE(list.QueryConfigAndStart(instance->name, &config, &flags));
    EXPECT_EQ(list.GetPlatformError(), platform::err::kServiceDoesNotExist);
    EXPECT_FALSE(flags.delayed || flags.triggered);
    ServiceList::FreeBuffer(config);
    EXPECT_NE(list.PeekEntry(instance->name), nullptr);
}

// The start type list's fourth automatic choice writes the type and the
// flag; plain automatic clears the flag; other choices leave it alone.
TEST_F(WorkstationServicesTest, TheDelayedChoiceWritesTheTypeAndTheFlag) {
    fake::Service& s = scm.Add("Choice", "Choice");
    ServiceList own{scm};
    ASSERT_TRUE(own.Enumerate());
    std::string error;
    fake::Texts texts;
    fake::Clock clock;
    ServiceCommands commands{own, error, texts, clock};
    auto choose = [&](uint32_t item) {
        StartTypeChoice choice = StartTypeOfItem(item, s.delayedAutoStart);
        ASSERT_TRUE(commands.ChangeConfig("Choice", sc::kNoChange, choice.startType, sc::kNoChange,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr));
        if (choice.writeDelayed) {
            ASSERT_TRUE(commands.ChangeDelayedStart("Choice", choice.delayed));
        }
    };
    choose(kDelayedStartItem);
    EXPECT_EQ(s.startType, sc::kAutoStart);
    EXPECT_TRUE(s.delayedAutoStart);
    EXPECT_EQ(StartTypeItem(s.startType, s.delayedAutoStart), kDelayedStartItem);
    choose(sc::kDemandStart);
    EXPECT_TRUE(s.delayedAutoStart);  // meaningless for a manual start, and kept
    choose(sc::kAutoStart);
    EXPECT_FALSE(s.delayedAutoStart);
    EXPECT_EQ(StartTypeOfItem(0xFFFFFFFFu, false).startType, sc::kNoChange);
    auto text = [](unsigned id) {
        return id == IDS_START_TYPE_TRIGGERED ? std::string(" (desencadenado)")
                                              : "T" + std::to_string(id);
    };
    EXPECT_EQ(StartTypeCellText(sc::kDemandStart, StartFlags{true, true}, text),
              "T" + std::to_string(IDS_START_TYPE_BASE + 3) + " (desencadenado)");
    EXPECT_EQ(StartTypeCellText(9, StartFlags{}, text), "9");  // no text: the number shows
    EXPECT_EQ(TriggerKindTextId(20), TriggerKindTextId(7));
    EXPECT_EQ(TriggerKindTextId(99), static_cast<unsigned>(IDS_TRIGGER_UNKNOWN));
}

// Dependencies several levels deep, groups among them: every service of
// the machine has its node, and the deepest chain hangs as deep as it goes.
TEST_F(WorkstationServicesTest, TheDependencyTreeHoldsEveryServiceAtItsFullDepth) {
    ServiceTreeModel tree;
    tree.Build(ServiceTreeModel::kByDependency, list);
    std::vector<bool> shown(list.GetCount(), false);
    uint32_t deepest = 0;
    const std::vector<TreeNode>& nodes = tree.Nodes();
    for (const TreeNode& node : nodes) {
        if (node.entry >= 0) shown[static_cast<size_t>(node.entry)] = true;
        uint32_t depth = 1;
        for (int up = node.parent; up >= 0; up = nodes[static_cast<size_t>(up)].parent) ++depth;
        if (node.data == ServiceTreeModel::kServiceData) deepest = std::max(deepest, depth);
    }
    EXPECT_EQ(std::count(shown.begin(), shown.end(), false), 0);
    EXPECT_GE(deepest, made.deepestDependency);
    EXPECT_GE(made.deepestDependency, 4u);
}

// A machine of thousands, read in parts as the platform hands them out:
// the changes of a pass are found, each once, and nothing else.
TEST(WorkstationChangesTest, EveryChangeOfALargeMachineIsFoundOnce) {
    fake::Scm scm;
    fake::Workstation made = fake::AddWorkstation(scm, 10);
    scm.enumByteLimit = 64 * 1024;
    ServiceList before{scm}, after{scm};
    before.driver = after.driver = 1;
    ASSERT_TRUE(before.Enumerate());
    ASSERT_EQ(before.GetCount(), made.services - made.adapters);
    std::vector<std::string> changed;
    for (uint32_t i = 5; i < before.GetCount(); i += 97) {
        fake::Service* s = scm.Get(before.EntryAt(i)->name);
        s->status.currentState =
            s->status.currentState == sc::kStopped ? sc::kRunning : sc::kStopped;
        changed.push_back(s->name);
    }
    scm.Remove(before.EntryAt(11)->name);
    scm.Add("Nuevo servicio", "Servicio nuevo \xF1");
    ASSERT_TRUE(after.Enumerate());
    ChangeList changes{scm};
    ASSERT_TRUE(changes.Compare(after, before));
    int states = 0, added = 0, gone = 0;
    for (int i = 0; i < changes.GetCount(); ++i) {
        const ServiceChange* c = changes.GetChange(i);
        added += c->kind == NewService;
        gone += c->kind == DeletedService;
        states += c->kind > DeletedService && (c->kind & StateChanged) != 0;
    }
    EXPECT_EQ(added, 1);
    EXPECT_EQ(gone, 1);
    EXPECT_EQ(states, static_cast<int>(changed.size()));
    EXPECT_EQ(changes.GetCount(), static_cast<int>(changed.size()) + 2);
}

// Records as a damaged or hostile machine could write them: whatever the
// count and the list's address claim, nothing past the buffer is read.
TEST(TriggerRecordTest, NoCountOrAddressMakesAReaderLeaveTheBuffer) {
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        uint32_t size = random() % 200;
        std::vector<unsigned char> bytes(size + sizeof(platform::ServiceTriggerInfo));
        for (auto& b : bytes) b = static_cast<unsigned char>(random());
        auto* info = reinterpret_cast<platform::ServiceTriggerInfo*>(bytes.data());
        if (size >= sizeof *info) {
            // Near the record, in it, before it, or beyond it.
            intptr_t offset = static_cast<intptr_t>(random() % 240) - 16;
            info->triggers = reinterpret_cast<platform::ServiceTrigger*>(
                reinterpret_cast<intptr_t>(bytes.data()) + offset);
            if (round % 7 == 0) info->triggers = nullptr;
        }
        KeepTriggersInside(info, size);
        if (size < sizeof *info) continue;
        auto begin = reinterpret_cast<uintptr_t>(bytes.data());
        auto list = reinterpret_cast<uintptr_t>(info->triggers);
        if (info->triggerCount > 0 && info->triggers != nullptr) {
            EXPECT_GE(list, begin + sizeof *info);
            EXPECT_LE(list + info->triggerCount * sizeof(platform::ServiceTrigger), begin + size);
        }
        EXPECT_LE(StartTriggerKinds(*info).size(), info->triggerCount);
    }
}

TEST_F(WorkstationServicesTest, ATriggerCountBeyondTheRecordShowsTheTriggersItHolds) {
    fake::Service& s = scm.Add("Claims", "Claims");
    s.triggers = {1, 3, 42};
    s.triggersClaimedBeyond = 1000000;
    ServiceList own{scm};
    ASSERT_TRUE(own.Enumerate());
    platform::ServiceTriggerInfo* info = nullptr;
    ASSERT_TRUE(own.QueryTriggers("Claims", &info));
    EXPECT_EQ(StartTriggerKinds(*info), (std::vector<uint32_t>{1, 3, 42}));
    ServiceList::FreeBuffer(info);
}

}  // namespace
