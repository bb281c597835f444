#include "neural/files.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "core/fault.h"
#include "core/numbers.h"

namespace tvx {

std::filesystem::path resolve_file(const std::string& filename) {
    std::filesystem::path p(filename);
    if (p.is_absolute()) return p;
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? p : here / p;
}

std::int16_t IsFile(const std::string& filename, UserInterface& ui) {
    std::error_code ec;
    if (!filename.empty() && std::filesystem::is_regular_file(resolve_file(filename), ec)) return 0;
    ui.message_box(kAppTitle, Icon::Critical, kFileNotFound, Buttons::Ok);
    return 1;
}

LineReader::LineReader(const std::string& filename) {
    // The whole file is read at once, and closed here, on every path.
    std::ifstream in(resolve_file(filename), std::ios::binary);
    if (!in) throw RuntimeError("cannot open " + filename);
    text_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw RuntimeError("cannot read " + filename);
}

std::string LineReader::next() {
    if (at_ >= text_.size()) throw RuntimeError("the file ends too early");
    std::size_t end = text_.find('\n', at_);
    if (end == std::string::npos) end = text_.size();
    std::size_t stop = end;
    if (stop > at_ && text_[stop - 1] == '\r') --stop;
    std::string line = text_.substr(at_, stop - at_);
    at_ = end + 1;
    return line;
}

namespace {

struct Range {
    double max;
    double min;
};

// "maximum,minimum": split at the first comma.
Range read_range(LineReader& in) {
    const std::string line = in.next();
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) throw RuntimeError("a range line without a comma");
    return {parse_number(std::string_view(line).substr(0, comma), DecimalMark::Point),
            parse_number(std::string_view(line).substr(comma + 1), DecimalMark::Point)};
}

}  // namespace

TrainingSet read_training_file(const std::string& filename, const NetShape& shape, std::int16_t nexem) {
    TrainingSet set;
    LineReader in(filename);
    Ranges& r = set.ranges;
    bool order_error = false;
    for (int i = 0; i < shape.nin; ++i) {
        const Range g = read_range(in);
        r.in_max.push_back(g.max);
        r.in_min.push_back(g.min);
        if (!(g.max > g.min)) order_error = true;
    }
    for (int j = 0; j < shape.nout; ++j) {
        const Range g = read_range(in);
        r.out_max.push_back(g.max);
        r.out_min.push_back(g.min);
        if (!(g.max > g.min)) order_error = true;
    }
    if (order_error) {
        set.outcome = TrainingSet::Outcome::RangeOrder;
        return set;
    }

    const std::size_t width = shape.example_width();
    set.exemplar.reserve(width * static_cast<std::size_t>(nexem));
    for (int k = 0; k < nexem; ++k) {
        const std::string line = in.next();
        const std::string_view text(line);
        std::size_t from = 0;
        for (std::size_t v = 0; v + 1 < width; ++v) {
            const std::size_t comma = text.find(',', from);
            if (comma == std::string_view::npos) throw RuntimeError("an example line with too few values");
            set.exemplar.push_back(parse_number(text.substr(from, comma - from), DecimalMark::Point));
            from = comma + 1;
        }
        set.exemplar.push_back(parse_number(text.substr(from), DecimalMark::Point));
    }

    // Scale every value into its node's range; the range must hold the data
    // strictly inside it.
    bool out_of_range = false;
    for (std::size_t k = 0; k < static_cast<std::size_t>(nexem); ++k) {
        for (std::size_t n = 0; n < width; ++n) {
            const bool input = n < static_cast<std::size_t>(shape.nin);
            const std::size_t node = input ? n : n - static_cast<std::size_t>(shape.nin);
            const double max = input ? r.in_max[node] : r.out_max[node];
            const double min = input ? r.in_min[node] : r.out_min[node];
            double& v = set.exemplar[k * width + n];
            v = fdiv(chk(v - min), chk(max - min));
            if (!(v > 0.0 && v < 1.0)) out_of_range = true;
        }
    }
    if (out_of_range) set.outcome = TrainingSet::Outcome::OutOfRange;
    return set;
}

}  // namespace tvx
