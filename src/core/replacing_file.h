// A file written whole or not at all. The text goes to a temporary file
// beside the target that this program makes itself (a random name, opened
// with O_CREAT | O_EXCL, so no file of the user's is ever opened, truncated
// or removed, whatever its name), and that file replaces the target only
// once it is complete and on the disk. Until then, and after any failure,
// the target is as it was.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>

namespace tvx {

class ReplacingFile {
public:
    // Makes the temporary file. A target without a file name, or a folder
    // that takes no new file, is a RuntimeError.
    explicit ReplacingFile(std::filesystem::path target);
    // Without commit(), removes the temporary file: the target is untouched.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Where the file's text goes (until commit).
    std::ostream& stream() { return *stream_; }
    // Puts the complete file in the target's place. A write that failed on
    // the way, or a target that cannot be replaced (a folder, say), is a
    // RuntimeError; the temporary file is removed and the target kept.
    void commit();

    // The temporary file's name (for the tests).
    const std::filesystem::path& temporary() const { return temp_; }

private:
    struct Buffer;
    void discard();

    std::filesystem::path target_, temp_;
    std::unique_ptr<Buffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
    bool finished_ = false;  // committed or discarded
};

}  // namespace tvx
