#include "core/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace tvx {

namespace {

// A new file beside the target, made by this call alone: the name is the
// target's with a random suffix, and O_EXCL refuses any name that exists.
// Returns the open descriptor, or -1 when the folder will not take one.
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

bool write_all(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

}  // namespace

bool write_file_whole(const std::filesystem::path& target, const std::string& text) {
    if (!target.has_filename()) return false;
    std::filesystem::path temp;
    const int fd = create_temporary(target, temp);
    if (fd < 0) return false;
    bool written = write_all(fd, text);
    written = ::close(fd) == 0 && written;
    std::error_code ec;
    if (written) std::filesystem::rename(temp, target, ec);
    if (!written || ec) {
        // Only the file this call made goes.
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace tvx
