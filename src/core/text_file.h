// Writing a file whole or not at all, the way every file the program writes
// is written (the network file, a chart's points, the History as CSV).
#pragma once

#include <filesystem>
#include <string>

namespace tvx {

// Writes `text` to `target`: into a temporary file in the same folder that
// this call creates itself (O_CREAT | O_EXCL under a random name, so no
// file of the user's is ever opened), flushed to the disk and then renamed
// over the target. On any failure the target stays as it was, the
// temporary file is removed, and the result is false.
bool write_file_whole(const std::filesystem::path& target, const std::string& text);

}  // namespace tvx
