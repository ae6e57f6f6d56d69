// The drop-down lists' items as the dialog resources keep them, whole, cut
// short or damaged.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/DialogListItems.h"

namespace {
std::string Items(const std::vector<DialogListItem>& items) {
    std::string text;
    for (const DialogListItem& item : items)
        text += std::to_string(item.control) + "=" + item.text + ";";
    return text;
}
// One item as the resource compiler lays it out.
void Put(std::string* block, int control, const std::string& text, uint32_t length) {
    auto word = [&](int v) {
        block->push_back(char(v & 0xFF)), block->push_back(char(v >> 8 & 0xFF));
    };
    word(control);
    word(0x0403);
    word(static_cast<int>(length & 0xFFFF));
    word(static_cast<int>(length >> 16));
    *block += text;
}
}  // namespace

TEST(DialogListItemsTest, ListItemsOfTheResourcesAreReadUpToTheirEndOrTheirDamage) {
    std::string block;
    Put(&block, 1401, std::string("9510\0", 5), 5);
    Put(&block, 1401, std::string("Manual\0", 7), 7);
    Put(&block, 1402, std::string("9520\0", 5), 5);
    block += std::string(2, '\0');
    EXPECT_EQ(Items(ParseDialogListItems(block.data(), block.size())),
              "1401=9510;1401=Manual;1402=9520;");
    // Cut inside the third item, or a length far beyond the block.
    EXPECT_EQ(Items(ParseDialogListItems(block.data(), block.size() - 5)),
              "1401=9510;1401=Manual;");
    std::string lying;
    Put(&lying, 1401, std::string("9510\0", 5), 5);
    Put(&lying, 1402, "x", 0xFFFFFFF0u);
    EXPECT_EQ(Items(ParseDialogListItems(lying.data(), lying.size())), "1401=9510;");
    EXPECT_TRUE(ParseDialogListItems(nullptr, 10).empty());

    EXPECT_EQ(ItemTextId("9510"), 9510u);
    EXPECT_EQ(ItemTextId("Manual"), 0u);
    EXPECT_EQ(ItemTextId("0"), 0u);
    EXPECT_EQ(ItemTextId("99999999999"), 0u) << "too long to be an id";
}
