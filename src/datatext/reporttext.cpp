#include "reporttext.h"

std::string ErrorReportText(const std::string& message) {
    if (message.empty())
        return message;
    std::size_t last = message.size() - 1;
    // Step back over UTF-8 continuation bytes to the lead byte of the last character.
    while (last > 0 && (static_cast<unsigned char>(message[last]) & 0xC0) == 0x80)
        --last;
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.'))
        return message + '.';
    return message;
}
