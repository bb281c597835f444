// What the fuzzing harnesses share: a file in memory that the readers open
// by name, a scratch working folder, and the commands cheap enough to run
// on every input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "cli/commands.h"

namespace tvx::fuzz {

inline std::string_view text_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Stops the run with a report: a property the harness checks has failed.
[[noreturn]] inline void broken(const char* what) {
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

// A file in memory, rewritten for each input and opened by the readers
// under its name like any other (no disk is touched).
class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("tvx-fuzz", 0)) {
        if (fd_ < 0) broken("memfd_create failed");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    void write(std::string_view text) const {
        if (ftruncate(fd_, 0) != 0 || pwrite(fd_, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
            broken("cannot write the file in memory");
    }
    const std::string& path() const { return path_; }

private:
    int fd_;
    std::string path_;
};

// A fresh folder made the working directory for the whole run, holding a
// network file under the default name (neural.net: one node each, the
// predict window's worked example), and removed at exit.
inline void enter_scratch_folder() {
    static std::filesystem::path folder;
    std::string pattern = (std::filesystem::temp_directory_path() / "tvx-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) broken("no scratch folder");
    folder = pattern;
    std::filesystem::current_path(folder);
    std::ofstream("neural.net", std::ios::binary) << "1\r\n1\r\n1\r\n10\r\n0\r\n100\r\n0\r\n2\r\n3\r\n";
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
}

// A request that runs in microseconds and writes no file: every command
// but train, and no simulation.
inline bool cheap(const cli::Request& r) { return r.command->name != "train" && !r.command->shares_generator(r); }

// The harnesses' runner for a batch's rows: the cheap ones run, the others
// are refused as a bad row is.
inline cli::Outcome run_cheap(const cli::Request& r) {
    return cheap(r) ? cli::run_request(r) : cli::usage_outcome("left out by the fuzzing harness");
}

}  // namespace tvx::fuzz
