// How an error's message is shown to the user, in a box or on a terminal.
#pragma once

#include <string>

// The message as the report shows it: a "." is appended when the last
// character (by its first byte, for multi-byte UTF-8) sorts after ".".
std::string ErrorReportText(const std::string& message);
