// The two text files of the neural-net windows: the training-example file
// the Train command reads, and where a typed file name points.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/user_interface.h"
#include "neural/network.h"

namespace tvx {

// Where a typed file name points: a relative name is taken in the working
// directory, an absolute one as it is. The existence test and every open
// go through here, so they always look at the same file.
std::filesystem::path resolve_file(const std::string& filename);

// 0 when the named file exists (a regular file), 1 when it does not; in
// that case it first shows "Error: File not found" (critical icon).
std::int16_t IsFile(const std::string& filename, UserInterface& ui);

inline constexpr const char* kFileNotFound = "Error: File not found";
inline constexpr const char* kRangeOrder = "Input error: Maximum must be greater than minimum";
inline constexpr const char* kExamplesOutOfRange = "Error: Training examples do not lie in correct range";

// The input and output ranges of a network: the raw maximum and minimum of
// every node, as the training file gives them.
struct Ranges {
    std::vector<double> in_max, in_min;
    std::vector<double> out_max, out_min;
};

// Reads lines of a text file whose lines end in CR LF or in LF alone.
class LineReader {
public:
    explicit LineReader(const std::string& filename);  // a file that cannot be opened is a run-time error
    // The next line without its ending; running out of lines is a run-time
    // error.
    std::string next();

private:
    std::string text_;
    std::size_t at_ = 0;
};

struct TrainingSet {
    enum class Outcome { Read, RangeOrder, OutOfRange };
    Outcome outcome = Outcome::Read;
    Ranges ranges;
    // nexem examples of nin inputs and nout targets, scaled into (0, 1).
    std::vector<double> exemplar;
};

// Reads, checks and scales the training file: nin input range lines and
// nout output range lines ("maximum,minimum"), then nexem example lines of
// nin + nout comma-separated values. A maximum not above its minimum gives
// RangeOrder (after all range lines); a scaled value not strictly inside
// (0, 1) gives OutOfRange (after all values). A missing line, a line
// without its commas or a value that is not a number is a run-time error.
TrainingSet read_training_file(const std::string& filename, const NetShape& shape, std::int16_t nexem);

}  // namespace tvx
