// Prints where the program would read its help when its executable lived in
// the folder given as the argument (the first readable place), or exits 1.
#include <iostream>

#include "core/help.h"
#include "options/main_window.h"

int main(int argc, char* argv[]) {
    if (argc != 2) return 2;
    for (const auto& place : tvx::help_places(argv[1], tvx::main_caption::help_file)) {
        if (tvx::read_text_file(place)) {
            std::cout << place.string() << '\n';
            return 0;
        }
    }
    return 1;
}
