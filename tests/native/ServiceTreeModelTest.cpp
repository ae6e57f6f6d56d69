#include <gtest/gtest.h>

#include <string>

#include "tests/fakes/FakeCodePage.h"
#include "tests/fakes/FakeScm.h"
#include "views/ServiceFilter.h"
#include "views/ServiceTreeModel.h"
#include "views/TreeTable.h"

namespace sc = platform::scm;

namespace {

class ServiceTreeModelTest : public ::testing::Test {
protected:
    fake::Service& Add(const std::string& name, uint32_t type = sc::kTypeWin32OwnProcess) {
        fake::Service& s = scm.Add(name, name + " service", sc::kRunning);
        s.status.serviceType = type;
        return s;
    }
    void Build(int mode) {
        list.driver = 1;
        list.Enumerate();
        model.Build(mode, list);
    }
    // "text<parent text" for every node, in the order a window inserts them.
    std::vector<std::string> Shape() const {
        std::vector<std::string> shape;
        for (const TreeNode& n : model.Nodes())
            shape.push_back(n.text + (n.parent < 0 ? "" : "<" + model.Nodes()[n.parent].text));
        return shape;
    }

    fake::Scm scm;
    ServiceList list{scm};
    ServiceTreeModel model;
};

TEST_F(ServiceTreeModelTest, TypeCategoriesCountTheirServicesAndAServiceMayBeInSeveral) {
    model.Build(ServiceTreeModel::kByType, list);  // nothing enumerated: every count is 0
    ASSERT_EQ(model.Nodes().size(), 9u);
    EXPECT_EQ(model.Nodes()[0].text, "SERVICE_WIN32");
    EXPECT_EQ(model.Nodes()[1].text, "SERVICE_WIN32_OWN_PROCESS (0)");
    EXPECT_EQ(model.Nodes()[8].text, "SERVICE_INTERACTIVE_PROCESS (0)");
    model.Build(ServiceTreeModel::kByGroup, list);
    EXPECT_TRUE(model.Nodes().empty());

    Add("Shared", sc::kTypeWin32ShareProcess);
    Add("Desk", 0x110);
    Add("Disk", sc::kTypeKernelDriver);
    Build(ServiceTreeModel::kByType);
    EXPECT_EQ(
        Shape(),
        (std::vector<std::string>{
            "SERVICE_WIN32", "SERVICE_WIN32_OWN_PROCESS (1)<SERVICE_WIN32",
            "Desk<SERVICE_WIN32_OWN_PROCESS (1)", "SERVICE_WIN32_SHARE_PROCESS (1)<SERVICE_WIN32",
            "Shared<SERVICE_WIN32_SHARE_PROCESS (1)", "SERVICE_DRIVER",
            "SERVICE_KERNEL_DRIVER (1)<SERVICE_DRIVER", "Disk<SERVICE_KERNEL_DRIVER (1)",
            "SERVICE_FILE_SYSTEM_DRIVER (0)<SERVICE_DRIVER",
            "SERVICE_RECOGNIZER_DRIVER (0)<SERVICE_DRIVER", "SERVICE_ADAPTER (0)",
            "SERVICE_INTERACTIVE_PROCESS (1)", "Desk<SERVICE_INTERACTIVE_PROCESS (1)"}));
    EXPECT_EQ(model.Nodes()[0].data, ServiceTreeModel::kGroupData);
    EXPECT_EQ(model.Nodes()[2].data, ServiceTreeModel::kServiceData);
    // Each service node names its entry; Desk's two nodes name the same one.
    EXPECT_EQ(model.Nodes()[0].entry, -1);
    EXPECT_STREQ(list.EntryAt(static_cast<uint32_t>(model.Nodes()[2].entry))->name, "Desk");
    EXPECT_EQ(model.Nodes()[12].entry, model.Nodes()[2].entry);
    EXPECT_STREQ(list.EntryAt(static_cast<uint32_t>(model.Nodes()[7].entry))->name, "Disk");
    EXPECT_EQ(model.Nodes()[0].image, 5);
    EXPECT_EQ(model.Nodes()[0].selectedImage, 6);
}

TEST_F(ServiceTreeModelTest, GroupsDifferingInCaseShareTheNodeOfTheFirst) {
    Add("Alpha").group = "  Network ";
    Add("Beta").group = "NETWORK";
    Add("Gamma");  // no group: not shown
    Add("Delta").group = "Base";
    scm.Fail(fake::Call::QueryConfig, 5, "Delta");  // unreadable: not shown
    Build(ServiceTreeModel::kByGroup);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Network", "Alpha<Network", "Beta<Network"}));
    EXPECT_EQ(model.Nodes()[0].image, 11);
}

TEST_F(ServiceTreeModelTest, DependentsHangUnderWhatTheyDependOn) {
    Add("Web").dependencies = std::string("+Net\0Disk\0", 10);
    Add("Disk");
    Add("Mail").dependencies = std::string("Web\0", 4);
    Build(ServiceTreeModel::kByDependency);
    // Web is shown under the group and under Disk; Mail under Web's first copy only.
    EXPECT_EQ(Shape(),
              (std::vector<std::string>{"Net", "Web<Net", "Disk", "Web<Disk", "Mail<Web"}));
    EXPECT_EQ(model.Nodes()[0].data, ServiceTreeModel::kGroupData);
    EXPECT_EQ(model.Nodes()[0].image, 11);
    EXPECT_EQ(model.Nodes()[4].parent, 1);
    EXPECT_EQ(model.Matches("WEB"), (std::vector<int>{1, 3}));
}

TEST_F(ServiceTreeModelTest, ADependencyCycleEndsAndAMissingDependencyIsARoot) {
    Add("Left").dependencies = std::string("Right\0", 6);
    Add("Right").dependencies = std::string("Left\0Ghost\0", 11);
    Build(ServiceTreeModel::kByDependency);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Right", "Ghost", "Right<Ghost", "Left<Right"}));
    // Ghost is in no list: its node has no entry.
    EXPECT_EQ(model.Nodes()[1].entry, -1);
    EXPECT_STREQ(list.EntryAt(static_cast<uint32_t>(model.Nodes()[3].entry))->name, "Left");
}

// A filter keeps the matching services where they stand: under their
// categories (which count what they keep), groups and dependencies.
TEST_F(ServiceTreeModelTest, AFilterKeepsTheMatchingServicesUnderWhatHoldsThem) {
    Add("Shared", sc::kTypeWin32ShareProcess);
    Add("Desk", 0x110);
    Add("Disk", sc::kTypeKernelDriver);
    Build(ServiceTreeModel::kByType);
    fake::CodePage codePage;
    ServiceFilter filter(codePage);
    filter.SetText("DESK SERV");  // the display name "Desk service"
    model.Filter(filter, list);
    EXPECT_EQ(
        Shape(),
        (std::vector<std::string>{
            "SERVICE_WIN32", "SERVICE_WIN32_OWN_PROCESS (1)<SERVICE_WIN32",
            "Desk<SERVICE_WIN32_OWN_PROCESS (1)", "SERVICE_WIN32_SHARE_PROCESS (0)<SERVICE_WIN32",
            "SERVICE_DRIVER", "SERVICE_KERNEL_DRIVER (0)<SERVICE_DRIVER",
            "SERVICE_FILE_SYSTEM_DRIVER (0)<SERVICE_DRIVER",
            "SERVICE_RECOGNIZER_DRIVER (0)<SERVICE_DRIVER", "SERVICE_ADAPTER (0)",
            "SERVICE_INTERACTIVE_PROCESS (1)", "Desk<SERVICE_INTERACTIVE_PROCESS (1)"}));
    EXPECT_EQ(model.Nodes()[10].parent, 9);
    EXPECT_EQ(model.Matches("Desk"), (std::vector<int>{2, 10}));
    filter.SetText("");
    model.Filter(filter, list);
    EXPECT_EQ(model.Nodes().size(), 13u);
    EXPECT_EQ(model.Nodes()[6].text, "SERVICE_KERNEL_DRIVER (1)");
}

TEST_F(ServiceTreeModelTest, AFilterKeepsTheGroupsAndDependenciesAboveAMatch) {
    Add("Web").dependencies = std::string("+Net\0Disk\0", 10);
    Add("Disk").group = "Storage";
    Add("Mail").dependencies = std::string("Web\0", 4);
    Add("Print").group = "Spool";
    Build(ServiceTreeModel::kByDependency);
    size_t queries = scm.log.size();
    fake::CodePage codePage;
    ServiceFilter filter(codePage);
    filter.SetText("mai");
    model.Filter(filter, list);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Net", "Web<Net", "Mail<Web"}));
    filter.SetText("disk");
    model.Filter(filter, list);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Disk"}));
    EXPECT_EQ(scm.log.size(), queries) << "a filter asks the platform nothing";

    Build(ServiceTreeModel::kByGroup);
    filter.SetText("PRINT");
    model.Filter(filter, list);
    EXPECT_EQ(Shape(), (std::vector<std::string>{"Spool", "Print<Spool"}));
    filter.SetText("nothing like it");
    model.Filter(filter, list);
    EXPECT_TRUE(model.Nodes().empty());
}

}  // namespace

// Copy and export of a tree: the services shown at and under a node, with
// the node that holds each; what the filter hides is not written.
TEST_F(ServiceTreeModelTest, ATreeAsATableHoldsTheServicesShownUnderTheChosenNode) {
    Add("Shared", sc::kTypeWin32ShareProcess);
    Add("Desk", 0x110);
    Add("Disk", sc::kTypeKernelDriver).status.currentState = sc::kStopped;
    Build(ServiceTreeModel::kByType);
    auto state = [](uint32_t s) { return s == sc::kRunning ? std::string("on") : "off"; };
    const std::vector<std::string> desk{"SERVICE_WIN32_OWN_PROCESS (1)", "Desk", "Desk service",
                                        "on"};
    TableRows all = TreeLines(model, list, -1, state);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], desk);
    EXPECT_EQ(all[1][1], "Shared");
    EXPECT_EQ(all[2], (std::vector<std::string>{"SERVICE_KERNEL_DRIVER (1)", "Disk", "Disk service",
                                                "off"}));
    EXPECT_EQ(all[3][0], "SERVICE_INTERACTIVE_PROCESS (1)") << "shown twice, written twice";
    // A category: the services under it, at any depth; a service: itself.
    EXPECT_EQ(TreeLines(model, list, 0, state).size(), 2u);
    EXPECT_EQ(TreeLines(model, list, 2, state), TableRows{desk});
    EXPECT_TRUE(TreeLines(model, list, 10, state).empty()) << "a category with nothing";
    EXPECT_TRUE(TreeLines(model, list, static_cast<int>(model.Nodes().size()), state).empty());

    // A service under the tree's first node names it as its branch.
    scm.Get("Desk")->dependencies = std::string("Shared\0", 7);
    Build(ServiceTreeModel::kByDependency);
    ASSERT_EQ(model.Nodes()[0].text, "Shared");
    TableRows under = TreeLines(model, list, 0, state);
    ASSERT_EQ(under.size(), 2u);
    EXPECT_EQ(under[0][0], "");
    EXPECT_EQ(under[1][0], "Shared");
    EXPECT_EQ(under[1][1], "Desk");
    Build(ServiceTreeModel::kByType);

    fake::CodePage codePage;
    ServiceFilter filter(codePage);
    filter.SetText("disk");
    model.Filter(filter, list);
    TableRows kept = TreeLines(model, list, -1, state);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0][1], "Disk");
}
