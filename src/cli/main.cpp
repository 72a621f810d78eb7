#include "cli/cli.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const cli::Args args(argv + 1, argv + argc);
    const int status = cli::Run(args, std::cout, std::cerr);
    std::cout.flush();
    return status != 0 ? status : (std::cout.good() ? 0 : 1);
}
