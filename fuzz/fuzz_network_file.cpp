// The network-file reader on any file, and the prediction from what it
// read (through the predict command, inputs 0.5). A network read is
// written and read again: the second text is the first.
#include "cli/commands.h"
#include "core/fault.h"
#include "neural/network_file.h"
#include "support.h"

namespace {

void check_round_trip(const tvx::fuzz::MemoryFile& file) {
    tvx::LoadedNet net;
    try {
        net = tvx::load_net(file.path());
    } catch (const tvx::RuntimeError&) {
        return;  // a malformed file: the window's generic error
    }
    const std::string text = tvx::network_text(net.shape, net.ranges, net.weights);
    file.write(text);
    try {
        const tvx::LoadedNet again = tvx::load_net(file.path());
        if (tvx::network_text(again.shape, again.ranges, again.weights) != text)
            tvx::fuzz::broken("a network file reads back changed");
    } catch (const tvx::RuntimeError&) {
        tvx::fuzz::broken("a network file as written cannot be read");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tvx::fuzz::MemoryFile file;
    file.write(tvx::fuzz::text_of(data, size));
    tvx::cli::Request predict = tvx::cli::default_request(*tvx::cli::find_command("predict"));
    predict.values[0] = file.path();
    for (std::size_t k = 1; k < predict.values.size(); ++k) predict.values[k] = "0.5";
    const tvx::cli::Outcome o = tvx::cli::run_request(predict);
    if (o.status != 0 && o.status != 1 && o.status != 2) tvx::fuzz::broken("a prediction's status");
    check_round_trip(file);
    return 0;
}
