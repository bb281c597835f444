// Where each key and each element of a JSON text stands: the line of
// every object key and of every array element, by its path ("/legs/1" the
// second leg, "/legs/1/strike" its strike; keys joined as written), found
// in one pass over the text. The same pass refuses text that is not
// well-formed JSON and objects that repeat a key, with the line.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tvx {

class JsonLines {
public:
    // Reads the text; a message with the line when it is not well-formed
    // JSON or an object repeats a key.
    std::optional<std::string> read(std::string_view text);
    // The line (from 1) of the key or element at `path`; 1 for the whole
    // document or a path not seen.
    std::size_t line_of(const std::string& path) const;

private:
    std::map<std::string, std::size_t> lines_;
};

}  // namespace tvx
