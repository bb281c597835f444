// The training-file reader on any file. The first three bytes give the
// counts (inputs 1 to 10, outputs 1 to 4, examples 1 to 16); the rest is
// the file. A file read whole has ordered ranges and every scaled value
// strictly inside (0, 1).
#include "core/fault.h"
#include "neural/files.h"
#include "support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tvx::fuzz::MemoryFile file;
    if (size < 3) return 0;
    const tvx::NetShape shape{static_cast<std::int16_t>(1 + data[0] % 10), 3,
                              static_cast<std::int16_t>(1 + data[1] % 4)};
    const auto nexem = static_cast<std::int16_t>(1 + data[2] % 16);
    file.write(tvx::fuzz::text_of(data + 3, size - 3));
    try {
        const tvx::TrainingSet set = tvx::read_training_file(file.path(), shape, nexem);
        if (set.outcome != tvx::TrainingSet::Outcome::Read) return 0;
        const auto width = static_cast<std::size_t>(shape.nin + shape.nout);
        if (set.exemplar.size() != width * static_cast<std::size_t>(nexem)) tvx::fuzz::broken("examples miscounted");
        for (const double x : set.exemplar)
            if (!(x > 0.0 && x < 1.0)) tvx::fuzz::broken("a scaled value outside (0, 1)");
        for (std::size_t i = 0; i < set.ranges.in_max.size(); ++i)
            if (!(set.ranges.in_max[i] > set.ranges.in_min[i])) tvx::fuzz::broken("an input range out of order");
    } catch (const tvx::RuntimeError&) {
        // A malformed file: the window's generic error.
    }
    return 0;
}
