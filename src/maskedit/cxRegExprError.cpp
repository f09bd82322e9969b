#include "cxRegExprError.h"

namespace {

std::string JoinFullMessages(const TcxRegExprErrors& errors) {
    std::string text;
    for (const TcxRegExprError& error : errors) {
        if (!text.empty())
            text += '\n';
        text += error.FullMessage();
    }
    return text;
}

} // namespace

std::string TcxRegExprError::FullMessage() const {
    std::string text;
    if (line > 0) {
        text = "Line" + std::to_string(line);
        if (column > 0)
            text += ", Char" + std::to_string(column);
        text += ": ";
    }
    return text + message;
}

EcxRegExprError::EcxRegExprError(TcxRegExprErrors errors)
    : EcxEditError(JoinFullMessages(errors)),
      errors_(std::make_shared<const TcxRegExprErrors>(std::move(errors))) {}

std::string FormatRegExprMessage(std::string_view message, std::string_view arg) {
    std::string text(message);
    const auto at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, arg);
    return text;
}
