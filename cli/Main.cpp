#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "boundary/Terminal.h"
#include "cli/Tool.h"

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> arguments(argv + 1, argv + argc);
        const rastero::cli::ToolStreams streams{std::cin, std::cout, std::cerr,
                                                rastero::IsTerminal(stderr)};
        return static_cast<int>(rastero::cli::RunTool(arguments, streams));
    } catch (const std::bad_alloc&) {
        std::cerr << "rastero: not enough memory\n";
        return static_cast<int>(rastero::cli::ExitStatus::LoadFailed);
    }
}
