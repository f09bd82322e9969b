// What quenfold-crc does once its command line is read.
#pragma once

#include "CliOptions.h"

#include <ostream>

// Prints results to out and problems to err, each line ending in a line feed.
// Returns the exit status: 0 done, 1 --find found nothing or no set fits the
// samples of --solve, 2 an input failed or too few samples to solve.
int RunCli(const CliOptions& options, std::ostream& out, std::ostream& err);
