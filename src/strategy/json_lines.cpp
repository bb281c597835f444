#include "strategy/json_lines.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

namespace tvx {

namespace {

using Json = nlohmann::json;

// Walks the text for the parser and counts the line breaks it has passed:
// when the parser reports a key or the start of a value, the count is the
// line it stands on (it reads ahead of a number, never of a key or of an
// opening bracket).
class CountingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator() = default;
    CountingIterator(const char* at, std::size_t* breaks) : at_(at), breaks_(breaks) {}
    reference operator*() const { return *at_; }
    CountingIterator& operator++() {
        if (*at_ == '\n') ++*breaks_;
        ++at_;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

private:
    const char* at_ = nullptr;
    std::size_t* breaks_ = nullptr;
};

// Records the line of every key and element; refuses a repeated key.
class LineSax final : public nlohmann::json_sax<Json> {
public:
    LineSax(std::map<std::string, std::size_t>& lines, const std::size_t& breaks) : lines_(lines), breaks_(breaks) {}

    std::optional<std::string> error;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(true); }
    bool end_array() override { return close(); }
    bool key(string_t& key) override {
        Frame& f = frames_.back();
        if (!f.keys.insert(key).second) {
            error = leg_of(f.path) + "key \"" + key.substr(0, 40) + "\", line " + std::to_string(line()) +
                    ": the key appears twice";
            error->front() = static_cast<char>(std::toupper(static_cast<unsigned char>(error->front())));
            return false;
        }
        f.at = f.path + "/" + key;
        lines_[f.at] = line();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& ex) override {
        error = not_well_formed(ex.what());
        return false;
    }

private:
    struct Frame {
        bool array = false;
        std::string path;  // of the object or array itself
        std::string at;    // of its current member
        std::size_t next = 0;
        std::set<std::string> keys;
    };

    std::size_t line() const { return breaks_ + 1; }
    // "Leg 2, " for the path of a leg ("/legs/1"), nothing otherwise.
    static std::string leg_of(const std::string& path) {
        constexpr std::string_view legs = "/legs/";
        if (path.size() <= legs.size() || path.compare(0, legs.size(), legs) != 0) return {};
        const std::string index = path.substr(legs.size());
        if (index.find_first_not_of("0123456789") != std::string::npos || index.size() > 6) return {};
        return "Leg " + std::to_string(std::stoi(index) + 1) + ", ";
    }
    // A value starts: in an array, it is the next element.
    bool value() {
        if (!frames_.empty() && frames_.back().array) {
            Frame& f = frames_.back();
            f.at = f.path + "/" + std::to_string(f.next++);
            lines_[f.at] = line();
        }
        return true;
    }
    bool open(bool array) {
        // A strategy is three deep (the document, its legs, a leg); paths
        // of deeper text would grow with the square of its depth.
        constexpr std::size_t kDeepest = 16;
        if (frames_.size() == kDeepest) {
            error = "Line " + std::to_string(line()) + ": not well-formed JSON: nested too deeply";
            return false;
        }
        value();
        Frame f;
        f.array = array;
        if (!frames_.empty()) f.path = frames_.back().at;
        frames_.push_back(std::move(f));
        return true;
    }
    bool close() {
        frames_.pop_back();
        return true;
    }
    // The parser's message, led by its line: "Line 3: not well-formed
    // JSON: syntax error while parsing ...".
    static std::string not_well_formed(const std::string& what) {
        std::string line = "1";
        std::string detail = what;
        if (const std::size_t at = what.find("at line "); at != std::string::npos) {
            const std::size_t digits = at + 8;
            line = what.substr(digits, what.find_first_not_of("0123456789", digits) - digits);
        }
        if (const std::size_t colon = what.find(": ", what.find("column")); colon != std::string::npos)
            detail = what.substr(colon + 2);
        return "Line " + line + ": not well-formed JSON: " + detail.substr(0, 200);
    }

    std::map<std::string, std::size_t>& lines_;
    const std::size_t& breaks_;
    std::vector<Frame> frames_;
};

}  // namespace

std::optional<std::string> JsonLines::read(std::string_view text) {
    lines_.clear();
    std::size_t breaks = 0;
    LineSax sax(lines_, breaks);
    const CountingIterator first(text.data(), &breaks), last(text.data() + text.size(), &breaks);
    Json::sax_parse(first, last, &sax);
    return sax.error;
}

std::size_t JsonLines::line_of(const std::string& path) const {
    const auto it = lines_.find(path);
    return it == lines_.end() ? 1 : it->second;
}

}  // namespace tvx
