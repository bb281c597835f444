#include "cli/cli_ui.h"

#include <algorithm>
#include <cstdio>

#include "neural/create_window.h"

namespace tvx::cli {

std::vector<std::string> box_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t cr = text.find('\r', from);
        const std::size_t to = cr == std::string::npos ? text.size() : cr;
        lines.push_back(text.substr(from, to - from));
        from = to + 1;
    }
    if (text.empty()) lines.emplace_back();
    return lines;
}

namespace {

// The catch-all boxes of the windows: every other box with an icon is one
// of the command's own messages.
bool generic_error(const std::string& text) { return text == kGenericError || text == neural1_text::generic_error; }

}  // namespace

Answer CliUi::message_box(const std::string&, Icon icon, const std::string& text, Buttons buttons) {
    if (icon == Icon::None) {
        for (auto& line : box_lines(text)) results.push_back(std::move(line));
    } else {
        messages.push_back(text);
        status = std::max(status, icon == Icon::Critical && generic_error(text) ? kExitError : kExitMessage);
    }
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

std::optional<std::string> CliUi::input_box(const std::string&, const std::string&, const std::string& default_text) {
    return input_answer ? input_answer : default_text;
}

void CliUi::show(Window window) {
    if (window == Window::Output) output_shown = true;
}

void CliUi::refresh(Window window) {
    if (window != Window::Pmeter || !pmeter) return;
    const long percent = pmeter_percent(*pmeter);
    if (bar_drawn_ && percent == drawn_percent_) return;  // redraw only when the bar moves
    drawn_percent_ = percent;
    const std::string bar(static_cast<std::size_t>(percent * 40 / 100), '#');
    std::fprintf(stderr, "\r[%-40s] %s\033[K", bar.c_str(), pmeter->message.c_str());
    std::fflush(stderr);
    bar_drawn_ = true;
}

void CliUi::hide(Window window) {
    if (window == Window::Pmeter && bar_drawn_) {
        std::fputs("\r\033[K", stderr);
        bar_drawn_ = false;
    }
}

}  // namespace tvx::cli
