// Where a dialog opens for a cursor on monitors of given work areas, among them monitors
// beside and above the primary one, at negative coordinates. (Wine's display driver for the
// tests has one monitor, so these are given to the placement itself.)
#include "common/dialog_placement.h"

#include <gtest/gtest.h>

#include "tests/support/row_label.h"

namespace {

struct Placement {
    const char* label;
    POINT Cursor;
    SIZE Dialog;
    LONG CursorFromTop;
    RECT WorkArea;
    POINT Expected;
};

class PlacementTest : public ::testing::TestWithParam<Placement> {};

TEST_P(PlacementTest, NearTheCursorWithinTheWorkAreaOfItsMonitor) {
    const Placement& row = GetParam();
    const POINT at = PlaceNearCursor(row.Cursor, row.Dialog, row.CursorFromTop, row.WorkArea);
    EXPECT_EQ(at.x, row.Expected.x);
    EXPECT_EQ(at.y, row.Expected.y);
}

constexpr RECT kScreen = {0, 0, 1024, 768};
// A monitor left of the primary one, and one above it.
constexpr RECT kLeftMonitor = {-1280, 0, 0, 984};
constexpr RECT kUpperMonitor = {0, -1024, 1280, -40};
// A monitor right of the primary one.
constexpr RECT kRightMonitor = {1024, 0, 2304, 1024};

INSTANTIATE_TEST_SUITE_P(
    Cursor, PlacementTest,
    ::testing::Values(
        // Centred on the cursor, as the setup program's settings dialog opens.
        Placement{"Middle", {500, 400}, {200, 300}, 150, kScreen, {400, 250}},
        Placement{"OddSizeTruncates", {500, 400}, {201, 301}, 150, kScreen, {400, 250}},
        Placement{"RightEdge", {1000, 400}, {200, 300}, 150, kScreen, {800, 250}},
        Placement{"BottomEdge", {500, 700}, {200, 300}, 150, kScreen, {400, 400}},
        Placement{"BottomRightCorner", {1020, 760}, {200, 300}, 150, kScreen, {820, 460}},
        Placement{"ExactlyAtTheEdge", {924, 618}, {200, 300}, 150, kScreen, {824, 468}},
        Placement{"TopLeftKeptOnScreen", {10, 20}, {200, 300}, 150, kScreen, {0, 0}},
        Placement{"TaskbarAtTheBottom", {500, 700}, {200, 300}, 150, {0, 0, 1024, 728}, {400, 400}},
        // The cursor on the task bar, below the work area: the dialog stays above it.
        Placement{"CursorOnTheTaskbar", {500, 760}, {200, 300}, 150, {0, 0, 1024, 728}, {400, 428}},
        // The selection dialog: the cursor near its bottom edge.
        Placement{"CursorNearTheBottomEdge", {500, 400}, {200, 300}, 259, kScreen, {400, 141}},
        Placement{"NearTheTopKeptOnScreen", {500, 100}, {200, 300}, 259, kScreen, {400, 0}},
        // Cut back to 0 they jumped to the primary monitor.
        Placement{"LeftMonitorTopLeft", {-1270, 20}, {200, 300}, 259, kLeftMonitor, {-1280, 0}},
        Placement{"LeftMonitorRightEdge", {-5, 500}, {200, 300}, 150, kLeftMonitor, {-205, 350}},
        Placement{"UpperMonitorTop", {640, -1020}, {200, 300}, 259, kUpperMonitor, {540, -1024}},
        Placement{"UpperMonitorBottom", {640, -45}, {200, 300}, 150, kUpperMonitor, {540, -345}},
        // Checked only against the primary monitor, they hung off the far edge of this one.
        Placement{
            "RightMonitorFarCorner", {2300, 1020}, {200, 300}, 150, kRightMonitor, {2100, 720}},
        Placement{"RightMonitorFarEdge", {2300, 500}, {200, 300}, 259, kRightMonitor, {2100, 241}},
        // Larger than the work area: its left and top edges stay in it.
        Placement{"LargerThanTheWorkArea",
                  {-300, -100},
                  {300, 400},
                  200,
                  {-500, -300, -244, -44},
                  {-500, -300}}),
    RowLabel());

} // namespace
