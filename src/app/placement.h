// Where a new window first appears: a free spot on the screen beside the
// main window and the windows already open, so that none of them is
// covered while there is room; cascading from the main window when there
// is none. Plain rectangles in screen pixels, frames included, so the rule
// is the same for every toolkit and testable without one.
#pragma once

#include <optional>
#include <span>

namespace tvx {

struct ScreenRect {
    int x = 0, y = 0, w = 0, h = 0;

    int right() const { return x + w; }   // one past the last column
    int bottom() const { return y + h; }  // one past the last row
    bool overlaps(const ScreenRect& o) const {
        return x < o.right() && o.x < right() && y < o.bottom() && o.y < bottom();
    }
    bool contains(const ScreenRect& o) const {
        return o.x >= x && o.y >= y && o.right() <= right() && o.bottom() <= bottom();
    }
};

// The space left between neighbouring windows.
inline constexpr int kWindowGap = 12;
// The step of a cascade, down and right.
inline constexpr int kCascadeStep = 32;

// The frame rectangle (width w, height h) for a new window on `screen`
// (its available area). The first spot that lies wholly on the screen and
// overlaps neither `main` nor any of `open`, trying right of the main
// window first (rows from the main window's top edge outwards, each from
// the left), then below it,
// then left of it, then anywhere; without one, the first step of a cascade
// from the main window's corner that no open window already starts at.
// Always wholly on the screen when it fits there, else at its top left.
ScreenRect place_window(const ScreenRect& screen, const ScreenRect& main, std::span<const ScreenRect> open, int w,
                        int h);

// The free spot of place_window alone: none when every spot on the screen
// would cover the main window or an open one.
std::optional<ScreenRect> free_spot(const ScreenRect& screen, const ScreenRect& main, std::span<const ScreenRect> open,
                                    int w, int h);

}  // namespace tvx
