// tarvenix-cli: every calculator of the program from the shell.
#include "cli/cli_app.h"

int main(int argc, char** argv) { return tvx::cli::run_cli(argc, argv); }
