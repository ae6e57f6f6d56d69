#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/RemoteMachineList.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"

namespace {

class RemoteMachineListTest : public ::testing::Test {
protected:
    const std::string key = std::string(settings::kRootPath) + "\\OpenServices";
    void Slots(const std::vector<std::string>& machines) {
        for (size_t i = 0; i < machines.size(); ++i)
            registry.PutString(key, SlotName(i), machines[i]);
    }
    static std::string SlotName(size_t i) {
        char name[16];
        std::snprintf(name, sizeof name, "Remote%03zu", i);
        return name;
    }
    std::vector<std::string> Stored() const {
        std::vector<std::string> machines;
        for (size_t i = 0; i < 12; ++i) {
            const fake::Registry::Value* v = registry.Find(key, SlotName(i));
            machines.push_back(v ? v->data.c_str() : "-");
        }
        while (!machines.empty() && machines.back() == "-") machines.pop_back();
        return machines;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const OfferedMachine& o : list.Offer())
            texts.push_back(o.text + "@" + std::to_string(o.slot));
        return texts;
    }

    fake::Registry registry;
    RemoteMachineList list{registry};
};

TEST_F(RemoteMachineListTest, RecordingUseMovesTheMachineToTheFront) {
    Slots({"a", "b", "c"});
    list.RecordUse("b");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"b", "a", "c"}));

    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i) ten.push_back("m" + std::to_string(i));
    Slots(ten);
    registry.PutString(key, "m9", "nine");
    list.RecordUse("m5");
    EXPECT_EQ(Stored(),
              (std::vector<std::string>{"m5", "m0", "m1", "m2", "m3", "m4", "m6", "m7", "m8"}));
    EXPECT_EQ(registry.Find(key, "m9"), nullptr) << "the dropped machine's alias goes too";

    Slots(ten);
    registry.PutString(key, "m9", "nine");
    list.RecordUse("x");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"x", "m0", "m1", "m2", "m3", "m4", "m5", "m6",
                                                  "m7", "m8"}));
    EXPECT_NE(registry.Find(key, "m9"), nullptr) << "a rewritten last slot leaves the alias";

    list.RecordUse(" LocalHost ");
    list.RecordUse("127.0.0.1");
    EXPECT_EQ(Stored().front(), "x");
}

TEST_F(RemoteMachineListTest, EntriesAreOfferedOnceByAliasAndResolveBackToTheirMachine) {
    Slots({"Server1", "", "SERVER1", "db7", "web"});
    registry.PutString(key, "db7", "  Base De Datos ");
    registry.PutString(key, "web", "web");  // an alias equal to the name is none
    EXPECT_EQ(Texts(), (std::vector<std::string>{"server1@0", "base de datos@3", "web@4"}));
    EXPECT_EQ(list.Resolve("BASE DE DATOS"), "db7");
    EXPECT_EQ(list.Resolve(" Other "), "other");
    EXPECT_EQ(list.AliasOf("DB7"), "  Base De Datos ");
    EXPECT_EQ(list.AliasOf("web"), "web");

    // The alias given to another machine since: the list offered again
    // resolves it to that one, and letters up to Z are folded.
    registry.PutString(key, "db7", "db7");
    registry.PutString(key, "web", "Base de datos");
    Slots({"SERVERZ", "db7", "web"});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"serverz@0", "db7@1", "base de datos@2"}));
    EXPECT_EQ(list.Resolve("base de datos"), "web");
}

TEST_F(RemoteMachineListTest, ACapacityOfZeroHoldsNothingAndANegativeOneHoldsOne) {
    Slots({"a", "b"});
    registry.PutDword(key, "MaxRemote", 0);
    EXPECT_TRUE(Texts().empty());
    list.RecordUse("c");
    EXPECT_EQ(Stored(), (std::vector<std::string>{"a", "b"}));
    registry.PutDword(key, "MaxRemote", static_cast<uint32_t>(-5));
    list.RecordUse("c");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"c@0"}));
    EXPECT_TRUE(RemoteMachineList::IsLocalName("  "));
    EXPECT_FALSE(RemoteMachineList::IsLocalName("localhost2"));
}

}  // namespace
