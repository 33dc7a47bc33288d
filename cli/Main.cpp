#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/Tool.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        return static_cast<int>(rastero::cli::RunTool(arguments, std::cout, std::cerr));
    } catch (const std::bad_alloc&) {
        std::cerr << "rastero: not enough memory\n";
        return static_cast<int>(rastero::cli::ExitStatus::LoadFailed);
    }
}
