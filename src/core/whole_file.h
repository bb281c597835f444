// Writing a file the user names, whole or not at all.
#pragma once

#include <filesystem>
#include <string>

namespace tvx {

// Writes the text to a temporary file beside the target, made by this call
// alone (a random name that no file had, so no file of the user's is ever
// opened), and renames it over the target only once it is complete and
// flushed to the disk. False when it could not be written: then the
// target is as it was and the temporary file is gone.
bool write_whole_file(const std::filesystem::path& target, const std::string& text);

}  // namespace tvx
