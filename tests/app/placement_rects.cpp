// Where new windows appear, on plain rectangles: beside the main window and
// the windows already open while the screen has room, cascading when it
// has none, and always wholly on the screen.
#include <gtest/gtest.h>

#include <vector>

#include "app/placement.h"

namespace tvx {
namespace {

constexpr ScreenRect kScreen{0, 0, 1600, 1000};
constexpr ScreenRect kMain{0, 0, 600, 450};

void expect_at(const ScreenRect& r, int x, int y) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
}

TEST(Placement, BesideTheMainWindowThenBesideTheOthersThenBelowThem) {
    std::vector<ScreenRect> open;
    const ScreenRect output = place_window(kScreen, kMain, open, 330, 250);
    expect_at(output, 612, 0);  // right of the main window, tops aligned
    open.push_back(output);
    const ScreenRect first = place_window(kScreen, kMain, open, 400, 300);
    expect_at(first, 954, 0);  // right of the output window
    open.push_back(first);
    // No room on the top row: below the output window would overlap the
    // first calculator, so below that one's bottom edge.
    const ScreenRect second = place_window(kScreen, kMain, open, 400, 300);
    expect_at(second, 612, 312);
    EXPECT_EQ(second.w, 400);
    EXPECT_EQ(second.h, 300);
}

TEST(Placement, NoWindowCoversAnotherWhileTheScreenHasRoom) {
    // The output window, three calculators and the help viewer, in turn.
    const int sizes[][2] = {{330, 250}, {420, 260}, {520, 240}, {420, 330}, {700, 420}};
    std::vector<ScreenRect> open;
    for (const auto& s : sizes) {
        const ScreenRect r = place_window(kScreen, kMain, open, s[0], s[1]);
        EXPECT_TRUE(kScreen.contains(r));
        EXPECT_FALSE(r.overlaps(kMain));
        for (const ScreenRect& o : open) EXPECT_FALSE(r.overlaps(o)) << open.size();
        open.push_back(r);
    }
}

TEST(Placement, BelowOrLeftWhenTheRightIsFull) {
    // The main window at the screen's right edge: room only to its left.
    const ScreenRect right_main{1000, 100, 600, 450};
    const ScreenRect r = place_window(kScreen, right_main, {}, 400, 300);
    EXPECT_FALSE(r.overlaps(right_main));
    EXPECT_TRUE(r.y >= right_main.bottom() || r.right() <= right_main.x);
    // A screen that starts below a panel.
    const ScreenRect panel_screen{0, 40, 1600, 960};
    const ScreenRect low_main{0, 40, 600, 450};
    expect_at(place_window(panel_screen, low_main, {}, 400, 300), 612, 40);
    // Rows start at the main window's top edge, not the screen's.
    const ScreenRect lower_main{24, 200, 600, 450};
    expect_at(place_window(kScreen, lower_main, {}, 400, 300), 636, 200);
}

TEST(Placement, WithoutRoomWindowsCascadeAndStayOnTheScreen) {
    const ScreenRect small{0, 0, 800, 600};
    std::vector<ScreenRect> open;
    const ScreenRect a = place_window(small, kMain, open, 400, 300);
    expect_at(a, 32, 32);
    open.push_back(a);
    const ScreenRect b = place_window(small, kMain, open, 400, 300);
    expect_at(b, 64, 64);
    open.push_back(b);
    // Far down the cascade a window is held at the screen's edge, and one
    // larger than the screen starts at its top left.
    for (int i = 0; i < 12; ++i) open.push_back(place_window(small, kMain, open, 400, 300));
    for (const ScreenRect& r : open) EXPECT_TRUE(small.contains(r));
    expect_at(place_window(small, kMain, open, 900, 700), 0, 0);
}

}  // namespace
}  // namespace tvx
