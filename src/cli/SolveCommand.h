// quenfold-crc --solve: which CRCs of the main window's model give a device's CRCs.
#pragma once

#include "CliOptions.h"

#include <ostream>

// Reads the samples, prints every parameter set that reproduces them all, one
// a line, then how sure the answer is. Returns 0 when some set fits, 1 when
// none does; throws CliError for samples that do not read or too few to decide.
int SolveSamples(const CliOptions& options, std::ostream& out);
