#include "cxRegExpr.h"

#include "cxRegExprAutomat.h"
#include "cxRegExprItems.h"
#include "cxRegExprLexer.h"
#include "cxRegExprMessages.h"
#include "cxRegExprParser.h"

#include <algorithm>
#include <array>

using namespace cxRegExprMessages;

TcxRegExpr::TcxRegExpr() = default;
TcxRegExpr::~TcxRegExpr() = default;
TcxRegExpr::TcxRegExpr(TcxRegExpr&&) noexcept = default;
TcxRegExpr& TcxRegExpr::operator=(TcxRegExpr&&) noexcept = default;

void TcxRegExpr::Clear() {
    source_.clear();
    errors_.clear();
    automat_.reset();
}

void TcxRegExpr::Fail(std::string_view message) {
    errors_.push_back({0, 0, std::string(message)});
    throw EcxRegExprError(errors_);
}

void TcxRegExpr::CompileFrom(std::istream& source) {
    Clear();
    if (!source)
        Fail(kStreamNotAssigned);
    std::array<char, 4096> buffer;
    while (source.read(buffer.data(), buffer.size()) || source.gcount() > 0)
        source_.append(buffer.data(), static_cast<std::size_t>(source.gcount()));
    if (source.bad())
        Fail(kStreamNotAssigned);
    Build();
}

void TcxRegExpr::Compile(std::string_view mask) {
    Clear();
    source_ = mask;
    Build();
}

void TcxRegExpr::Build() {
    if (std::all_of(source_.begin(), source_.end(), IsRegExprSpace))
        Fail(kStreamEmpty);
    const TcxLexems lexems = RegExprLex(source_, errors_);
    if (!errors_.empty())
        throw EcxRegExprError(errors_);
    auto alternatives = RegExprParse(lexems, {kMaxStates, kMaxDepth}, errors_);
    if (!errors_.empty())
        throw EcxRegExprError(errors_);
    automat_ = TcxRegExprAutomat::Build(std::move(alternatives), kMaxLinks);
    if (!automat_)
        Fail(kTooLarge);
}

std::optional<std::string> TcxRegExpr::CompiledSource() const {
    if (!automat_)
        return std::nullopt;
    return source_;
}

TcxRegExprAutomat& TcxRegExpr::Automat() const {
    if (!automat_)
        throw EcxEditError(std::string(kNotCompiled));
    return *automat_;
}

void TcxRegExpr::Restart() {
    Automat().Restart();
}

bool TcxRegExpr::Advance(char& c) {
    return Automat().Advance(c, caseInsensitive_);
}

bool TcxRegExpr::StepBack() {
    return Automat().StepBack();
}

bool TcxRegExpr::IsAccepting() const {
    return Automat().IsAccepting();
}

bool TcxRegExpr::IsAtStart() const {
    return Automat().IsAtStart();
}

std::string TcxRegExpr::FilterText(std::string_view text) {
    TcxRegExprAutomat& automat = Automat();
    std::string accepted;
    for (char c : text) {
        if (automat.Advance(c, caseInsensitive_))
            accepted += c;
    }
    return accepted;
}
