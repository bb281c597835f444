// The two progress windows and the protocol every long computation follows
// with them: set the message, show (which clears the cancel flag), read the
// flag at its own check points, hide at the end however it ends.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/user_interface.h"

namespace tvx {

struct ProgressWindow {
    std::int16_t kill = 0;  // 0 = carry on, 1 = the user pressed Cancel
    bool loaded = false;
};

// `pacifier`, "Computation Progress": one message line and Cancel.
struct Pacifier : ProgressWindow {
    static constexpr Window id = Window::Pacifier;
    static constexpr const char* caption = "Computation Progress";
    std::string olabel;
};

// `pmeter`, "Calculation Progress": a bar, a message line and Cancel.
struct Pmeter : ProgressWindow {
    static constexpr Window id = Window::Pmeter;
    static constexpr const char* caption = "Calculation Progress";
    int pbar_min = 0;
    int pbar_max = 100;
    int pbar_value = 0;
    std::string message;

    // Beside the bar and the message, for a training: the best error found
    // so far after each finished step (a step with no error known yet adds
    // no point), the time since the start and the estimate of the time
    // left (negative until a step has finished).
    struct Point {
        int step;
        double best;
    };
    std::vector<Point> curve;
    std::chrono::steady_clock::time_point started{};
    double elapsed = 0.0;     // seconds
    double remaining = -1.0;  // seconds
};

// How far the bar has got, in whole per cent: the share done rounded to
// the nearest, as the message's figure rounds ("77.7777777777778% of ..."
// is 78). The bar's own text and every drawing of the bar use it, so the
// two never disagree.
inline int pmeter_percent(const Pmeter& w) {
    const double span = static_cast<double>(w.pbar_max) - w.pbar_min;
    if (!(span > 0.0)) return 100;
    const double share = (static_cast<double>(w.pbar_value) - w.pbar_min) * 100.0 / span;
    return static_cast<int>(std::lround(std::clamp(share, 0.0, 100.0)));
}

inline constexpr const char* kCancelCaption = "Cancel";

// Loading the single instance clears the flag.
inline void Form_Load(ProgressWindow& w) {
    w.kill = 0;
    w.loaded = true;
}

// Cancel only raises the flag; the computation reads it at its check points.
inline void Command1_Click(ProgressWindow& w) { w.kill = 1; }

template <class W>
void progress_show(UserInterface& ui, W& w) {
    if (!w.loaded) Form_Load(w);
    w.kill = 0;  // a Cancel of an earlier computation never stops this one
    ui.show(W::id);
}

template <class W>
void progress_hide(UserInterface& ui, W& w) {
    if (!w.loaded) Form_Load(w);
    ui.hide(W::id);
}

inline void progress_message(UserInterface& ui, Pacifier& w, std::string text) {
    w.olabel = std::move(text);
    ui.refresh(Window::Pacifier);
}

inline bool cancel_requested(const ProgressWindow& w) { return w.kill == 1; }

}  // namespace tvx
