#include "core/help.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

// The installed data folder relative to the executable's folder; the build
// sets it from the installation layout.
#ifndef TVX_DATA_DIR_FROM_BIN
#define TVX_DATA_DIR_FROM_BIN "../share/tarvenix"
#endif

namespace tvx {

namespace {

std::string_view trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// A whole decimal number of at most six digits, nothing else.
std::optional<int> small_number(std::string_view s) {
    if (s.empty() || s.size() > 6) return std::nullopt;
    int n = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc{} || end != s.data() + s.size() || n < 0) return std::nullopt;
    return n;
}

constexpr std::string_view kOpen = "<!--";
constexpr std::string_view kClose = "-->";
constexpr std::string_view kWord = "topic";

// The context number of a marker line; nothing for any other line. A line
// that looks like a marker but has no proper number is reported.
std::optional<int> marker(std::string_view line, bool& malformed) {
    malformed = false;
    line = trim(line);
    if (line.size() < kOpen.size() + kClose.size() || !line.starts_with(kOpen) || !line.ends_with(kClose))
        return std::nullopt;
    std::string_view inner = trim(line.substr(kOpen.size(), line.size() - kOpen.size() - kClose.size()));
    if (!inner.starts_with(kWord)) return std::nullopt;
    inner = trim(inner.substr(kWord.size()));
    const auto n = small_number(inner);
    malformed = !n;
    return n;
}

std::string title_of(std::string_view body) {
    std::size_t pos = 0;
    while (pos < body.size()) {
        std::size_t end = body.find('\n', pos);
        if (end == std::string_view::npos) end = body.size();
        const std::string_view line = trim(body.substr(pos, end - pos));
        if (line.starts_with("# ")) return std::string(trim(line.substr(2)));
        pos = end + 1;
    }
    return {};
}

std::string line_ref(int line) { return "line " + std::to_string(line) + ": "; }

}  // namespace

const HelpTopic* HelpFile::find(int context) const {
    for (const HelpTopic& t : topics)
        if (t.context == context) return &t;
    return nullptr;
}

HelpFile parse_help(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark

    HelpFile file;
    std::optional<HelpTopic> open;
    int open_line = 0;
    bool duplicate = false;
    const auto close = [&] {
        if (!open) return;
        // Blank lines at either end of a topic are not part of it.
        std::string& b = open->body;
        const std::size_t first = b.find_first_not_of("\n");
        b.erase(0, first == std::string::npos ? b.size() : first);
        while (!b.empty() && b.back() == '\n') b.pop_back();
        open->title = title_of(b);
        if (open->title.empty()) {
            file.problems.push_back(line_ref(open_line) + "topic " + std::to_string(open->context) +
                                    " has no \"# \" title");
        }
        if (!duplicate) file.topics.push_back(std::move(*open));
        open.reset();
    };

    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++number;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (line.ends_with('\r')) line.remove_suffix(1);
        pos = end + 1;

        bool malformed = false;
        const auto context = marker(line, malformed);
        if (malformed) file.problems.push_back(line_ref(number) + "a topic marker without a proper number");
        if (context) {
            close();
            duplicate = file.find(*context) != nullptr;
            if (duplicate) {
                file.problems.push_back(line_ref(number) + "topic " + std::to_string(*context) +
                                        " appears again; the first one counts");
            }
            open = HelpTopic{*context, {}, {}};
            open_line = number;
            continue;
        }
        if (open) {
            open->body.append(line);
            open->body.push_back('\n');
        }
    }
    close();
    return file;
}

std::optional<std::string> read_text_file(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(text).str();
}

std::vector<std::filesystem::path> help_places(const std::filesystem::path& exe_dir, std::string_view file_name) {
    const std::filesystem::path name{std::string(file_name)};
    return {
        (exe_dir / name).lexically_normal(),
        (exe_dir / TVX_DATA_DIR_FROM_BIN / name).lexically_normal(),
    };
}

std::optional<int> topic_link(std::string_view href) {
    if (!href.starts_with('#')) return std::nullopt;
    return small_number(href.substr(1));
}

std::string help_caption(const HelpTopic& topic) { return topic.title + help_text::caption_suffix; }

void open_help(HelpViewer& viewer, const std::vector<std::filesystem::path>& places, int topic, UserInterface& ui) {
    for (const std::filesystem::path& place : places) {
        const auto text = read_text_file(place);
        if (!text) continue;
        HelpFile file = parse_help(*text);
        if (!file.find(topic)) {
            ui.message_box(
                kAppTitle, Icon::Exclamation,
                help_text::topic_missing_1 + place.string() + help_text::topic_missing_2 + std::to_string(topic) + ".",
                Buttons::Ok);
            return;
        }
        viewer.file = std::move(file);
        viewer.path = place;
        viewer.topic = topic;
        ui.show(Window::Help);
        return;
    }
    std::string text = help_text::file_missing;
    for (const std::filesystem::path& place : places) text += "\r" + place.string();
    ui.message_box(kAppTitle, Icon::Exclamation, text, Buttons::Ok);
}

bool select_topic(HelpViewer& viewer, int topic) {
    if (!viewer.file.find(topic)) return false;
    viewer.topic = topic;
    return true;
}

}  // namespace tvx
