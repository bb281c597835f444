// The command line itself: options and help (CLI11), one command or a
// batch, and the exit status.
#pragma once

#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/commands.h"

namespace tvx::cli {

// The command line's words, read once and run on demand.
class CommandLine {
public:
    CommandLine();
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // Reads the words after the program's name. The exit status when that
    // ends the run (the help, the version, a usage error, written to `out`
    // or `err`); nothing when a command is to run.
    std::optional<int> parse(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);
    // The single command's request as read; null for a batch.
    const Request* request() const;
    // Runs what parse read; a batch without a file reads `in`.
    int run(std::istream& in, std::ostream& out, std::ostream& err);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

int run_cli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace tvx::cli
