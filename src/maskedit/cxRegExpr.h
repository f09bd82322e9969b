// The regular-expression mask engine: compiles a mask into a nondeterministic
// automaton and matches text against it one character at a time, so that an
// edit field can tell at each keystroke whether a character may follow and
// whether the text so far is complete. The mask always describes the whole
// text from its first character; characters are 8-bit bytes.
#pragma once

#include "cxRegExprError.h"

#include <cstddef>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class TcxRegExprAutomat;

class TcxRegExpr {
public:
    // Bounds on one compilation, so that a short mask with large repeat
    // counts cannot take unbounded time or memory; they also bound the work
    // of one Advance, which visits each state and link at most once. A
    // repeat beyond them is refused with "The parameter quantifier is too
    // large", anything else with "The regular expression is too large".
    static constexpr std::size_t kMaxStates = 25'000; // states, clones included
    static constexpr std::size_t kMaxDepth = 1'000;   // blocks nested in blocks
    static constexpr std::size_t kMaxLinks = 250'000; // successor links

    TcxRegExpr();
    ~TcxRegExpr();
    TcxRegExpr(TcxRegExpr&&) noexcept;
    TcxRegExpr& operator=(TcxRegExpr&&) noexcept;

    // Compiles the mask read from source; throws EcxRegExprError carrying all
    // errors of the failing pass and leaves the engine uncompiled. Each call
    // first discards the previous mask and its errors.
    void CompileFrom(std::istream& source);
    void Compile(std::string_view mask);

    bool IsReady() const { return automat_ != nullptr; }
    // The errors of the last compilation; empty after a successful one.
    const TcxRegExprErrors& Errors() const { return errors_; }
    // The compiled mask text, to compile an independent matcher from it.
    std::optional<std::string> CompiledSource() const;

    // Literals then match either case; ranges and classes never do.
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool caseInsensitive) { caseInsensitive_ = caseInsensitive; }

    // The matching operations throw EcxEditError until a mask is compiled.
    void Restart();
    // Consumes c when the mask lets it follow the text so far; a refused
    // character changes nothing. In case-insensitive mode a literal of the
    // mask replaces c with its own character.
    bool Advance(char& c);
    // Forgets the last accepted character; false when there is none.
    bool StepBack();
    // True when the text consumed since the restart matches the whole mask.
    bool IsAccepting() const;
    bool IsAtStart() const;
    // Offers each character of text in turn from the current state and
    // returns the accepted ones, as the matcher handed them back.
    std::string FilterText(std::string_view text);

private:
    void Clear();
    void Build();
    [[noreturn]] void Fail(std::string_view message);
    TcxRegExprAutomat& Automat() const;

    std::string source_;
    TcxRegExprErrors errors_;
    std::unique_ptr<TcxRegExprAutomat> automat_; // present only once compiled
    bool caseInsensitive_ = false;
};
