#include <iostream>
#include <string>
#include <vector>

#include "tools/vtx_commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return veltrix::vtx::Run(args, std::cin, std::cout, std::cerr);
}
