#include "neural/training_progress.h"

#include <cmath>
#include <cstdio>

#include "core/numbers.h"

namespace tvx {

std::string training_progress_text(int done, int total) {
    return general_text(done * 100.0 / total) + "% of neural net training complete";
}

void training_progress_start(Pmeter& pmeter, UserInterface& ui, int total) {
    pmeter.pbar_min = 0;
    pmeter.pbar_max = total;
    pmeter.pbar_value = 0;
    pmeter.message = training_progress_text(0, total);
    pmeter.curve.clear();
    pmeter.started = std::chrono::steady_clock::now();
    pmeter.elapsed = 0.0;
    pmeter.remaining = -1.0;
    progress_show(ui, pmeter);
}

bool training_progress_step(Pmeter& pmeter, UserInterface& ui, int done, int total, std::optional<double> best) {
    pmeter.pbar_value = done;
    pmeter.message = training_progress_text(done, total);
    if (best) pmeter.curve.push_back({done, *best});
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - pmeter.started;
    pmeter.elapsed = taken.count();
    pmeter.remaining = done > 0 ? pmeter.elapsed * (total - done) / done : -1.0;
    ui.refresh(Window::Pmeter);
    if (cancel_requested(pmeter)) {
        progress_hide(ui, pmeter);
        return true;
    }
    ui.yield();
    return false;
}

std::string best_error_text(const Pmeter& pmeter) {
    if (pmeter.curve.empty()) return {};
    return "Lowest average error so far: " + general_text(pmeter.curve.back().best, 6);
}

std::string clock_text(double seconds) {
    const long s = std::lround(std::max(seconds, 0.0));
    char buf[32];
    if (s >= 3600) {
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
    }
    return buf;
}

std::string training_time_text(const Pmeter& pmeter) {
    std::string text = "Elapsed " + clock_text(pmeter.elapsed);
    if (pmeter.remaining >= 0.0) text += ", about " + clock_text(pmeter.remaining) + " left";
    return text;
}

}  // namespace tvx
