#include "app/placement.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace tvx {

namespace {

// Moves r inside the screen as far as it fits; a window larger than the
// screen keeps its top left on it.
ScreenRect clamp_to(const ScreenRect& screen, ScreenRect r) {
    r.x = std::max(screen.x, std::min(r.x, screen.right() - r.w));
    r.y = std::max(screen.y, std::min(r.y, screen.bottom() - r.h));
    return r;
}

// 0 right of the main window, 1 below it, 2 left of it, 3 elsewhere.
int zone(const ScreenRect& main, const ScreenRect& r) {
    if (r.x >= main.right()) return 0;
    if (r.y >= main.bottom()) return 1;
    if (r.right() <= main.x) return 2;
    return 3;
}

// Edges that a free spot can lean on: beside, below or above a window,
// aligned with its sides, or at the screen's edges.
void add_edges(std::vector<int>& xs, std::vector<int>& ys, const ScreenRect& r, int w, int h) {
    xs.insert(xs.end(), {r.right() + kWindowGap, r.x, r.x - w - kWindowGap, r.right() - w});
    ys.insert(ys.end(), {r.y, r.bottom() + kWindowGap, r.y - h - kWindowGap, r.bottom() - h});
}

ScreenRect cascade(const ScreenRect& screen, const ScreenRect& main, std::span<const ScreenRect> open, int w, int h) {
    for (int step = 1; step <= 64; ++step) {
        const ScreenRect r = clamp_to(screen, {main.x + step * kCascadeStep, main.y + step * kCascadeStep, w, h});
        const bool taken = std::any_of(open.begin(), open.end(), [&r](const ScreenRect& o) {
            return std::abs(o.x - r.x) < kCascadeStep / 2 && std::abs(o.y - r.y) < kCascadeStep / 2;
        });
        if (!taken) return r;
    }
    return clamp_to(screen, {main.x + kCascadeStep, main.y + kCascadeStep, w, h});
}

}  // namespace

std::optional<ScreenRect> free_spot(const ScreenRect& screen, const ScreenRect& main, std::span<const ScreenRect> open,
                                    int w, int h) {
    std::vector<int> xs{screen.x, screen.right() - w};
    std::vector<int> ys{screen.y, screen.bottom() - h};
    add_edges(xs, ys, main, w, h);
    for (const ScreenRect& o : open) add_edges(xs, ys, o, w, h);

    std::optional<ScreenRect> best;
    std::tuple<int, int, int> best_rank{};
    for (const int x : xs) {
        for (const int y : ys) {
            const ScreenRect r{x, y, w, h};
            if (!screen.contains(r) || r.overlaps(main)) continue;
            if (std::any_of(open.begin(), open.end(), [&r](const ScreenRect& o) { return r.overlaps(o); })) continue;
            const std::tuple<int, int, int> rank{zone(main, r), std::abs(y - main.y), x};
            if (!best || rank < best_rank) best = r, best_rank = rank;
        }
    }
    return best;
}

ScreenRect place_window(const ScreenRect& screen, const ScreenRect& main, std::span<const ScreenRect> open, int w,
                        int h) {
    if (const std::optional<ScreenRect> spot = free_spot(screen, main, open, w, h)) return *spot;
    return cascade(screen, main, open, w, h);
}

}  // namespace tvx
