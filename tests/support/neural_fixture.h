// Helpers of the neural-net tests: a scratch folder that is also the
// working directory, files written into it, and scripted draws.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "neural/network.h"

namespace tvx::test {

// A fresh folder, made the working directory for the test's lifetime.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tvx-neural-XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        if (!made) throw std::runtime_error("no scratch folder");
        path_ = made;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    // Writes `lines`, each ended by `eol`.
    void write(const std::string& name, std::initializer_list<std::string> lines,
               const std::string& eol = "\r\n") const {
        std::ofstream out(path_ / name, std::ios::binary);
        for (const auto& l : lines) out << l << eol;
    }
    void write_raw(const std::string& name, const std::string& text) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Names of the files in the folder.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
        return out;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path old_;
};

// Draws from a script, in order; running past its end fails the test.
inline Draw scripted(std::vector<double> values, std::shared_ptr<std::size_t> used = std::make_shared<std::size_t>(0)) {
    return [values = std::move(values), used]() {
        if (*used >= values.size()) {
            ADD_FAILURE() << "more draws than scripted";
            return 0.0;
        }
        return values[(*used)++];
    };
}

// A repeatable stream of draws (for runs where the values do not matter).
inline Draw repeatable(unsigned seed) {
    auto state = std::make_shared<unsigned long long>(seed);
    return [state] {
        *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(*state >> 40) * 0x1p-24;
    };
}

}  // namespace tvx::test
