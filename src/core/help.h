// The program's help: the help file, split into numbered topics, where the
// file is looked for, and the help window `frmHelp` that shows one topic at
// a time and lets the user move to the others.
//
// The help file is Markdown. A line "<!-- topic 100 -->" starts the topic
// with context number 100; the topic runs to the next such line or to the
// end of the file, and its title is its first level-one heading ("# Title").
// Text before the first marker is a note for whoever edits the file and is
// never shown. A Markdown viewer shows the markers as nothing, so the file
// reads well on its own too.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/user_interface.h"

namespace tvx {

struct HelpTopic {
    int context = 0;
    std::string title;
    std::string body;  // Markdown, the heading included, the marker not
};

struct HelpFile {
    std::vector<HelpTopic> topics;      // in file order, each context once
    std::vector<std::string> problems;  // what was not understood, by line

    const HelpTopic* find(int context) const;
};

HelpFile parse_help(std::string_view text);

// The whole file, or nothing when it is not a regular file that can be read.
std::optional<std::string> read_text_file(const std::filesystem::path& path);

// Where the help file is looked for, in this order: beside the executable
// (the build tree, or a copy of the program with its help), then the data
// folder of an installation, found relative to the executable's folder
// (<prefix>/bin beside <prefix>/share/tarvenix).
std::vector<std::filesystem::path> help_places(const std::filesystem::path& exe_dir, std::string_view file_name);

// A link inside the help that leads to another topic: "#200".
std::optional<int> topic_link(std::string_view href);

// `frmHelp`: the topics of the file last read and the one on screen.
struct HelpViewer {
    HelpFile file;
    std::filesystem::path path;  // where the file was read
    int topic = 0;               // context number on screen

    const HelpTopic* current() const { return file.find(topic); }
};

// The window's caption: "<topic title> - Tarvenix Help".
std::string help_caption(const HelpTopic& topic);

// The help request: reads the file from the first place where it can be
// read, puts the topic on screen and shows the window without blocking (a
// window already open is reused and brought to the front). A file found
// nowhere, or one without that topic, is told in a message box; the window
// is then left as it was.
void open_help(HelpViewer& viewer, const std::vector<std::filesystem::path>& places, int topic, UserInterface& ui);

// The user picked another topic of the file on screen (from the list or a
// link). False, and nothing changes, when the file has no such topic.
bool select_topic(HelpViewer& viewer, int topic);

namespace help_text {
inline constexpr const char* caption_suffix = " - Tarvenix Help";
// Followed by the places looked at, one a line.
inline constexpr const char* file_missing = "The help file could not be found or read. These places were looked at:";
// "The help file <path> has no topic <n>."
inline constexpr const char* topic_missing_1 = "The help file ";
inline constexpr const char* topic_missing_2 = " has no topic ";
}  // namespace help_text

}  // namespace tvx
