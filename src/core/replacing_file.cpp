#include "core/replacing_file.h"

#include <fcntl.h>
#include <unistd.h>
#include <ext/stdio_filebuf.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "core/fault.h"

namespace tvx {

// The stream's buffer over the temporary file's descriptor, which it owns.
struct ReplacingFile::Buffer : __gnu_cxx::stdio_filebuf<char> {
    explicit Buffer(int fd) : stdio_filebuf(fd, std::ios::out | std::ios::binary) {}
};

namespace {

// A new file beside the target, made by this call alone: the target's name
// with a random suffix, and O_EXCL refuses any name that exists. The open
// descriptor, or -1 when the folder takes no new file.
int create_temporary(const std::filesystem::path& target, std::filesystem::path& made) {
    std::random_device entropy;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x~", static_cast<unsigned>(entropy()));
        std::filesystem::path candidate = target;
        candidate += suffix;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            made = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

}  // namespace

ReplacingFile::ReplacingFile(std::filesystem::path target) : target_(std::move(target)) {
    if (!target_.has_filename()) throw RuntimeError("no file name to write");
    const int fd = create_temporary(target_, temp_);
    if (fd < 0) throw RuntimeError("no new file can be made beside " + target_.string());
    buffer_ = std::make_unique<Buffer>(fd);
    stream_ = std::make_unique<std::ostream>(buffer_.get());
}

ReplacingFile::~ReplacingFile() {
    if (!finished_) discard();
}

void ReplacingFile::discard() {
    finished_ = true;
    stream_.reset();
    buffer_.reset();  // closes the descriptor
    std::error_code ignored;
    std::filesystem::remove(temp_, ignored);  // only the file this object made
}

void ReplacingFile::commit() {
    bool written = static_cast<bool>(stream_->flush());
    written = ::fsync(buffer_->fd()) == 0 && written;
    written = buffer_->close() != nullptr && written;
    std::error_code ec;
    if (written) std::filesystem::rename(temp_, target_, ec);
    if (!written || ec) {
        discard();
        throw RuntimeError("the file " + target_.string() + " could not be written");
    }
    finished_ = true;
}

}  // namespace tvx
