// The command line itself: options and help (CLI11), one command or a
// batch, and the exit status.
#pragma once

namespace tvx::cli {

int run_cli(int argc, const char* const* argv);

}  // namespace tvx::cli
