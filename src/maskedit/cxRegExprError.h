// Compilation errors of the regular-expression mask engine and the exceptions
// that carry them.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Base of every error raised by the masked edit and its engine.
class EcxEditError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TcxRegExprError {
    int line = 0;   // 0 when the error belongs to no place in the mask
    int column = 0; // 0 when only the line is known
    std::string message;

    // "Line1, Char5: message"; the place is left out where it is 0.
    std::string FullMessage() const;
};

using TcxRegExprErrors = std::vector<TcxRegExprError>;

// Raised by a failed compilation with every error of the failing pass.
// what() gives the full messages of all errors, one per line.
class EcxRegExprError : public EcxEditError {
public:
    explicit EcxRegExprError(TcxRegExprErrors errors);

    const TcxRegExprErrors& Errors() const noexcept { return *errors_; }

private:
    // Shared so that copying the exception cannot throw.
    std::shared_ptr<const TcxRegExprErrors> errors_;
};

// The message with its single "%s" replaced by arg.
std::string FormatRegExprMessage(std::string_view message, std::string_view arg);
