// A remembered placement must never start the program out of reach, and a
// shortcut's own start command wins over it.
#include <gtest/gtest.h>

#include "settings/WindowPlacement.h"

namespace sw = show_command;

TEST(WindowPlacementTest, AStoredPlacementNeverStartsTheWindowHidden) {
    EXPECT_EQ(RestorableShowCommand(sw::kHide), sw::kNormal);
    EXPECT_EQ(RestorableShowCommand(sw::kMaximized), sw::kMaximized);
    EXPECT_EQ(RestorableShowCommand(sw::kMinimized), sw::kMinimized);
    EXPECT_EQ(RestorableShowCommand(sw::kNormal), sw::kNormal);
    EXPECT_EQ(RestorableShowCommand(0xFFFFFFFFu), sw::kNormal);

    // A shortcut set to maximised or minimised is obeyed; a plain start
    // (show default, normal, show) takes the usual command.
    EXPECT_EQ(StartShowCommand(sw::kMaximized, sw::kNormal), sw::kMaximized);
    EXPECT_EQ(StartShowCommand(sw::kMinNoActive, sw::kMaximized), sw::kMinNoActive);
    EXPECT_EQ(StartShowCommand(10, sw::kMaximized), sw::kMaximized);
    EXPECT_EQ(StartShowCommand(sw::kNormal, sw::kShow), sw::kShow);
}

TEST(WindowPlacementTest, AWindowOffEveryScreenComesBackWholeOntoTheNearest) {
    const ScreenRect screen{0, 0, 1280, 1000};
    // Left on a second monitor that is gone: moved, size kept.
    ScreenRect moved = MoveInto({1600, 100, 2400, 700}, screen);
    EXPECT_EQ(moved.left, 480);
    EXPECT_EQ(moved.right, 1280);
    EXPECT_EQ(moved.top, 100);
    EXPECT_EQ(moved.bottom, 700);
    // Above and to the left.
    moved = MoveInto({-900, -500, -100, -20}, screen);
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.top, 0);
    EXPECT_EQ(moved.right, 800);
    EXPECT_EQ(moved.bottom, 480);
    // Larger than the screen: cut to it.
    moved = MoveInto({-10, -10, 3000, 3000}, screen);
    EXPECT_EQ(moved.left, 0);
    EXPECT_EQ(moved.right, 1280);
    EXPECT_EQ(moved.bottom, 1000);
    // Far out at the ends of the number range, without overflow.
    moved = MoveInto({INT32_MAX - 5, INT32_MIN, INT32_MAX, INT32_MIN + 5}, screen);
    EXPECT_EQ(moved.right - moved.left, 5);
    EXPECT_EQ(moved.right, 1280);
    EXPECT_EQ(moved.top, 0);
    // Already inside: unchanged.
    moved = MoveInto({10, 20, 30, 40}, screen);
    EXPECT_EQ(moved.left, 10);
    EXPECT_EQ(moved.bottom, 40);
}
