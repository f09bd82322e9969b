#include "cxRegExprItems.h"

#include <algorithm>
#include <cctype>
#include <clocale>

namespace {

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

bool InRange(char c, char first, char last) {
    return Byte(first) <= Byte(c) && Byte(c) <= Byte(last);
}

} // namespace

// The C/POSIX locale writes dates as "%m/%d/%y" and times as "%H:%M:%S"
// (its D_FMT and T_FMT); these are their separators.
char RegExprDateSeparator() {
    return '/';
}

char RegExprTimeSeparator() {
    return ':';
}

char RegExprDecimalSeparator() {
    const char* point = std::localeconv()->decimal_point;
    return point != nullptr && point[0] != '\0' ? point[0] : '.';
}

bool IsRegExprSpace(char c) {
    switch (c) {
    case ' ':
    case '\0':
    case '\t':
    case '\n':
    case '\f':
    case '\r':
        return true;
    default:
        return false;
    }
}

bool TcxRegExprSymbol::Test(char c, bool caseInsensitive) const {
    return c == symbol_ || (caseInsensitive && FoldedLiteral(c));
}

std::optional<char> TcxRegExprSymbol::FoldedLiteral(char c) const {
    if (std::toupper(Byte(c)) != std::toupper(Byte(symbol_)))
        return std::nullopt;
    return symbol_;
}

std::unique_ptr<TcxRegExprItem> TcxRegExprSymbol::Clone() const {
    return std::make_unique<TcxRegExprSymbol>(symbol_);
}

bool TcxRegExprTimeSeparator::Test(char c, bool) const {
    return c == RegExprTimeSeparator();
}

std::unique_ptr<TcxRegExprItem> TcxRegExprTimeSeparator::Clone() const {
    return std::make_unique<TcxRegExprTimeSeparator>();
}

bool TcxRegExprDateSeparator::Test(char c, bool) const {
    return c == RegExprDateSeparator();
}

std::unique_ptr<TcxRegExprItem> TcxRegExprDateSeparator::Clone() const {
    return std::make_unique<TcxRegExprDateSeparator>();
}

bool TcxRegExprSubrange::Test(char c, bool) const {
    return InRange(c, first_, last_);
}

std::unique_ptr<TcxRegExprItem> TcxRegExprSubrange::Clone() const {
    return std::make_unique<TcxRegExprSubrange>(first_, last_);
}

void TcxRegExprUserEnumeration::Add(std::unique_ptr<TcxRegExprItem> member) {
    members_.push_back(std::move(member));
}

bool TcxRegExprUserEnumeration::Test(char c, bool caseInsensitive) const {
    return Answer(std::any_of(members_.begin(), members_.end(),
                              [&](const auto& item) { return item->Test(c, caseInsensitive); }));
}

// The first member that takes c decides, as members are tested in order; an
// inverse set takes only characters that no member names.
std::optional<char> TcxRegExprUserEnumeration::FoldedLiteral(char c) const {
    if (Inverse())
        return std::nullopt;
    for (const auto& item : members_) {
        if (item->Test(c, true))
            return item->FoldedLiteral(c);
    }
    return std::nullopt;
}

std::unique_ptr<TcxRegExprItem> TcxRegExprUserEnumeration::Clone() const {
    auto copy = std::make_unique<TcxRegExprUserEnumeration>(Inverse());
    for (const auto& item : members_)
        copy->Add(item->Clone());
    return copy;
}

bool TcxRegExprDigit::Test(char c, bool) const {
    return Answer(InRange(c, '0', '9'));
}

std::unique_ptr<TcxRegExprItem> TcxRegExprDigit::Clone() const {
    return std::make_unique<TcxRegExprDigit>(Inverse());
}

bool TcxRegExprIdLetter::Test(char c, bool) const {
    return Answer(InRange(c, 'a', 'z') || InRange(c, 'A', 'Z') || InRange(c, '0', '9') || c == '_');
}

std::unique_ptr<TcxRegExprItem> TcxRegExprIdLetter::Clone() const {
    return std::make_unique<TcxRegExprIdLetter>(Inverse());
}

bool TcxRegExprSpace::Test(char c, bool) const {
    return Answer(IsRegExprSpace(c));
}

std::unique_ptr<TcxRegExprItem> TcxRegExprSpace::Clone() const {
    return std::make_unique<TcxRegExprSpace>(Inverse());
}

bool TcxRegExprAll::Test(char, bool) const {
    return true;
}

std::unique_ptr<TcxRegExprItem> TcxRegExprAll::Clone() const {
    return std::make_unique<TcxRegExprAll>();
}
