// The package's AppStream description against the program: it names every
// window that has a help topic and every training algorithm, and claims a
// help topic only for windows that have one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "calculators/calculators.h"
#include "neural/create_window.h"
#include "support/window_table.h"

namespace tvx {
namespace {

// The description's text, lower case, with its line breaks and indents as
// single blanks.
std::string description() {
    std::ifstream in(TVX_METAINFO_SOURCE);
    std::stringstream all;
    all << in.rdbuf();
    const std::string xml = all.str();
    const auto from = xml.find("<description>");
    const auto to = xml.find("</description>");
    if (from == std::string::npos || to == std::string::npos) return {};
    std::string text;
    for (const char c : xml.substr(from, to - from)) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!std::isspace(static_cast<unsigned char>(c)))
            text += lower;
        else if (!text.empty() && text.back() != ' ')
            text += ' ';
    }
    return text;
}

// What the description calls each window a user opens for a topic of its
// own, a calculator's as its entry says. A window added to the table fails
// here until the description (and this list, or its entry) say what it is
// for.
const std::map<std::string, std::string> kOtherWindows = {
    {"frmBrantholm", "calls and puts"},
    {"frmOutput", "output window"},
    {"frmNeural1", "neural networks trained"},
    {"frmNeural3", "used for predictions"},
    {"frmChart", "charts"},
    {"frmHistory", "a history of every result"},
    {"frmStrategy", "strategy builder"},
    {"frmSmile", "volatility smile"},
};

std::map<std::string, std::string> described() {
    std::map<std::string, std::string> phrases = kOtherWindows;
    for (const CalculatorFacts& c : calculator_facts()) phrases[c.name] = c.description;
    return phrases;
}

TEST(Metainfo, NamesEveryWindowWithAHelpTopic) {
    const std::string text = description();
    ASSERT_FALSE(text.empty()) << TVX_METAINFO_SOURCE;
    const auto phrases = described();
    for (const auto& w : golden::windows) {
        if (w.help_topic == 0) continue;
        const auto it = phrases.find(w.object_name);
        ASSERT_NE(it, phrases.end()) << w.object_name << " has a help topic the description does not know";
        EXPECT_NE(text.find(it->second), std::string::npos) << w.object_name << ": '" << it->second << "'";
    }
    // And every calculator of the list, those the table above does not know
    // of yet among them.
    for (const CalculatorFacts& c : calculator_facts())
        EXPECT_NE(text.find(c.description), std::string::npos) << c.name << ": '" << c.description << "'";
    // Some windows (the progress windows, the help viewer) have no topic of
    // their own: the description may not claim one for every window.
    const bool all_have_topics =
        std::all_of(std::begin(golden::windows), std::end(golden::windows), [](const auto& w) { return w.help_topic; });
    if (!all_have_topics) {
        EXPECT_EQ(text.find("every window has a help topic"), std::string::npos);
    }
    EXPECT_NE(text.find("tarvenix-cli"), std::string::npos) << "the command line";
}

TEST(Metainfo, NamesEveryTrainingAlgorithm) {
    const std::string text = description();
    const auto& algorithms = *std::find_if(std::begin(kCreateFields), std::end(kCreateFields),
                                           [](const auto& f) { return f.kind == FieldKind::Choice; });
    for (std::size_t k = 0; k < button_count(algorithms); ++k) {
        std::string name = algorithms.buttons[k].caption;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace tvx
