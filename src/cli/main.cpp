// tarvenix-cli: every calculator of the program from the shell.
#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) { return tvx::cli::run_cli(argc, argv, std::cin, std::cout, std::cerr); }
