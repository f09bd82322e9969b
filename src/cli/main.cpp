// quenfold-crc: the command-line twin of the main window.
#include "CliActions.h"
#include "CliOptions.h"

#include <iostream>

namespace {

// A result that never reached its reader is a failure, as with any GNU tool.
// The write that failed may lie long before, so its errno is not at hand.
int Flushed(int status) {
    std::cout.flush();
    if (std::cout)
        return status;
    std::cerr << "quenfold-crc: write error\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    const auto parsed = ParseCliOptions(argc, argv);
    if (const auto* exit = std::get_if<CliExit>(&parsed)) {
        std::cout << exit->out;
        std::cerr << exit->err;
        return Flushed(exit->code);
    }
    return Flushed(RunCli(std::get<CliOptions>(parsed), std::cout, std::cerr));
}
