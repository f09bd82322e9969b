#include "cxMaskEditMode.h"

namespace {

std::string MaskErrorMessage(const TcxRegExprErrors& errors) {
    std::string message = "Regular expression errors:";
    for (const TcxRegExprError& error : errors)
        message += '\n' + error.FullMessage();
    return message;
}

} // namespace

EcxMaskEditError::EcxMaskEditError(const TcxRegExprErrors& errors)
    : EcxEditError(MaskErrorMessage(errors)) {}
