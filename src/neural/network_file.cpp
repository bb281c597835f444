#include "neural/network_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

namespace {

void put(std::string& out, double x) {
    const std::string text = general_text(x);
    if (text.front() != '-') out += ' ';
    out += text;
    out += "\r\n";
}

}  // namespace

std::string network_text(const NetShape& shape, const Ranges& ranges, const std::vector<double>& weights) {
    std::string out;
    put(out, shape.nin);
    put(out, shape.nhidden);
    put(out, shape.nout);
    for (std::size_t i = 0; i < ranges.in_max.size(); ++i) {
        put(out, ranges.in_max[i]);
        put(out, ranges.in_min[i]);
    }
    for (std::size_t j = 0; j < ranges.out_max.size(); ++j) {
        put(out, ranges.out_max[j]);
        put(out, ranges.out_min[j]);
    }
    for (const double w : weights) put(out, w);
    return out;
}

namespace {

// A new file beside the target, made by this call alone: the name is the
// target's with a random suffix, and O_EXCL refuses any name that exists,
// so no file of the user's is ever opened. Returns the open descriptor, or
// -1 when the folder will not take one.
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

void write_network_file(const std::string& filename, const NetShape& shape, const Ranges& ranges,
                        const std::vector<double>& weights) {
    const std::string text = network_text(shape, ranges, weights);
    const std::filesystem::path target = resolve_file(filename);
    if (filename.empty() || !target.has_filename()) throw RuntimeError("no name for the network file");
    std::filesystem::path temp;
    const int fd = create_temporary(target, temp);
    if (fd < 0) throw RuntimeError("the network file could not be written");
    bool written = write_all(fd, text);
    written = ::close(fd) == 0 && written;
    std::error_code ec;
    if (written) std::filesystem::rename(temp, target, ec);
    if (!written || ec) {
        // Only the file this call made goes.
        std::filesystem::remove(temp, ec);
        throw RuntimeError("the network file could not be written");
    }
}

LoadedNet load_net(const std::string& filename) {
    LineReader in(filename);
    auto number = [&in] { return parse_number(in.next(), DecimalMark::Point); };
    LoadedNet net;
    NetShape& s = net.shape;
    s.nin = round_int16(number());
    s.nhidden = round_int16(number());
    s.nout = round_int16(number());
    if (s.nin < 1 || s.nin > 10 || s.nout < 1 || s.nout > 4 || s.nhidden < 1)
        throw RuntimeError("the network's counts are out of bounds");
    for (int i = 0; i < s.nin; ++i) {
        net.ranges.in_max.push_back(number());
        net.ranges.in_min.push_back(number());
    }
    for (int j = 0; j < s.nout; ++j) {
        net.ranges.out_max.push_back(number());
        net.ranges.out_min.push_back(number());
    }
    // Read one by one: a short file fails before anything large is made.
    const std::size_t w = s.weights();
    for (std::size_t k = 0; k < w; ++k) net.weights.push_back(number());
    return net;
}

}  // namespace tvx
