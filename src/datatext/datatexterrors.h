// Errors of the data text commands; each message is meant for the user.
#pragma once

#include <stdexcept>
#include <string>

// A text longer than the memo holds.
class ECapacityError : public std::runtime_error {
public:
    ECapacityError() : std::runtime_error("Text exceeds memo capacity") {}
};

// A file that cannot be opened or read, or cannot be written.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(const std::string& message) : std::runtime_error(message) {}
};
