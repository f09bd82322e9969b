// Character tests of the regular-expression engine: each simple state of the
// automaton owns one item that decides whether a character may be consumed.
#pragma once

#include <memory>
#include <optional>
#include <vector>

// Separators of the process's C locale, read where the engine needs them.
char RegExprDateSeparator();
char RegExprTimeSeparator();
char RegExprDecimalSeparator();

class TcxRegExprItem {
public:
    virtual ~TcxRegExprItem() = default;

    // True when c is accepted; in case-insensitive mode literals match either case.
    virtual bool Test(char c, bool caseInsensitive) const = 0;
    // The mask's own character when a literal of the item matches c in
    // either case; nothing for any other test. Case-insensitive matching
    // hands that character back in place of the one typed.
    virtual std::optional<char> FoldedLiteral(char) const { return std::nullopt; }
    virtual std::unique_ptr<TcxRegExprItem> Clone() const = 0;
};

class TcxRegExprSymbol final : public TcxRegExprItem {
public:
    explicit TcxRegExprSymbol(char symbol) : symbol_(symbol) {}
    bool Test(char c, bool caseInsensitive) const override;
    std::optional<char> FoldedLiteral(char c) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;

private:
    char symbol_;
};

class TcxRegExprTimeSeparator final : public TcxRegExprItem {
public:
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

class TcxRegExprDateSeparator final : public TcxRegExprItem {
public:
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

// Inclusive byte range, always compared case-sensitively.
class TcxRegExprSubrange final : public TcxRegExprItem {
public:
    TcxRegExprSubrange(char first, char last) : first_(first), last_(last) {}
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;

private:
    char first_;
    char last_;
};

class TcxRegExprEnumeration : public TcxRegExprItem {
public:
    explicit TcxRegExprEnumeration(bool inverse) : inverse_(inverse) {}
    bool Inverse() const { return inverse_; }

protected:
    bool Answer(bool member) const { return member != inverse_; }

private:
    bool inverse_;
};

// A bracket set: its members in the order written.
class TcxRegExprUserEnumeration final : public TcxRegExprEnumeration {
public:
    using TcxRegExprEnumeration::TcxRegExprEnumeration;
    void Add(std::unique_ptr<TcxRegExprItem> member);
    bool Test(char c, bool caseInsensitive) const override;
    std::optional<char> FoldedLiteral(char c) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;

private:
    std::vector<std::unique_ptr<TcxRegExprItem>> members_;
};

class TcxRegExprDigit final : public TcxRegExprEnumeration {
public:
    using TcxRegExprEnumeration::TcxRegExprEnumeration;
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

// a-z, A-Z, 0-9 and the underscore.
class TcxRegExprIdLetter final : public TcxRegExprEnumeration {
public:
    using TcxRegExprEnumeration::TcxRegExprEnumeration;
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

// Space, NUL, tab, line feed, form feed and carriage return.
class TcxRegExprSpace final : public TcxRegExprEnumeration {
public:
    using TcxRegExprEnumeration::TcxRegExprEnumeration;
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

class TcxRegExprAll final : public TcxRegExprItem {
public:
    bool Test(char c, bool caseInsensitive) const override;
    std::unique_ptr<TcxRegExprItem> Clone() const override;
};

// The whitespace the lexer skips and \s matches.
bool IsRegExprSpace(char c);
