#include "cxRegExprLexer.h"

#include "cxRegExprItems.h"
#include "cxRegExprMessages.h"

using namespace cxRegExprMessages;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// \d \D \w \W \s \S name character classes.
const TcxLexemKind* ClassEscape(char c) {
    static constexpr struct {
        char letter;
        TcxLexemKind kind;
    } kClasses[] = {{'d', LexDigit},   {'D', LexNotDigit}, {'w', LexWord},
                    {'W', LexNotWord}, {'s', LexSpace},    {'S', LexNotSpace}};
    for (const auto& entry : kClasses)
        if (entry.letter == c)
            return &entry.kind;
    return nullptr;
}

// \a \e \f \n \r \t name control characters.
const char* ControlEscape(char c) {
    static constexpr struct {
        char letter;
        char symbol;
    } kControls[] = {{'a', '\a'}, {'e', '\x1B'}, {'f', '\f'},
                     {'n', '\n'}, {'r', '\r'},   {'t', '\t'}};
    for (const auto& entry : kControls)
        if (entry.letter == c)
            return &entry.symbol;
    return nullptr;
}

class Lexer {
public:
    Lexer(std::string_view source, TcxRegExprErrors& errors) : source_(source), errors_(errors) {}

    TcxLexems Run();

private:
    bool AtEnd() const { return index_ >= source_.size(); }
    char Peek() const { return source_[index_]; }
    char Read();
    void SkipSpaces();

    void Emit(TcxLexemKind kind, char c) { lexems_.push_back({column_, kind, line_, {c}}); }
    void Emit(TcxLexemKind kind, std::string text) {
        lexems_.push_back({column_, kind, line_, std::move(text)});
    }
    // Errors found at a character just read, and errors found at the end of
    // the mask, which are placed one column past its last character.
    void ErrorHere(std::string message) { errors_.push_back({line_, column_, std::move(message)}); }
    void ErrorAfter(std::string message) {
        errors_.push_back({line_, column_ + 1, std::move(message)});
    }

    void QuotedRun();
    void Escape();
    void HexByte();
    void Bracket();
    bool RangeDash();
    void Brace();

    std::string_view source_;
    TcxRegExprErrors& errors_;
    TcxLexems lexems_;
    std::size_t index_ = 0;
    int line_ = 1;
    int column_ = 0;
    int openBlocks_ = 0;
};

char Lexer::Read() {
    const char c = source_[index_++];
    if (c == '\r')
        ++line_;
    if (c == '\n')
        column_ = 0;
    else
        ++column_;
    return c;
}

void Lexer::SkipSpaces() {
    while (!AtEnd() && IsRegExprSpace(Peek()))
        Read();
}

TcxLexems Lexer::Run() {
    while (!AtEnd()) {
        const char c = Read();
        if (IsRegExprSpace(c))
            continue;
        switch (c) {
        case '\'':
            QuotedRun();
            break;
        case '(':
            ++openBlocks_;
            Emit(LexSpecial, c);
            break;
        case ')':
            --openBlocks_;
            Emit(LexSpecial, c);
            break;
        case '*':
        case '+':
        case '?':
        case '|':
            Emit(LexSpecial, c);
            break;
        case '{':
            Emit(LexSpecial, c);
            Brace();
            break;
        case '[':
            Emit(LexSpecial, c);
            Bracket();
            break;
        case '.':
            Emit(LexAny, c);
            break;
        case '/':
            Emit(LexDateSeparator, c);
            break;
        case ':':
            Emit(LexTimeSeparator, c);
            break;
        case '\\':
            Escape();
            break;
        default:
            Emit(LexSymbol, c);
        }
    }
    if (openBlocks_ > 0)
        errors_.push_back({0, 0, FormatRegExprMessage(kMissing, ")")});
    else if (openBlocks_ < 0)
        errors_.push_back({0, 0, FormatRegExprMessage(kUnnecessary, ")")});
    return std::move(lexems_);
}

void Lexer::QuotedRun() {
    for (;;) {
        if (AtEnd()) {
            ErrorAfter(FormatRegExprMessage(kMissing, kQuoteArgument));
            return;
        }
        const char c = Read();
        if (c == '\'') {
            if (AtEnd() || Peek() != '\'')
                return;
            Read();
        }
        Emit(LexSymbol, c);
    }
}

void Lexer::Escape() {
    if (AtEnd())
        return;
    const char c = Read();
    if (c >= '1' && c <= '9') {
        Emit(LexReference, c);
        return;
    }
    if (IsRegExprSpace(c)) {
        ErrorHere(std::string(kSpaceAfterBackslash));
        return;
    }
    if (const TcxLexemKind* kind = ClassEscape(c)) {
        Emit(*kind, c);
        return;
    }
    if (const char* symbol = ControlEscape(c)) {
        Emit(LexSymbol, *symbol);
        return;
    }
    if (c == 'p')
        Emit(LexSymbol, RegExprDecimalSeparator());
    else if (c == 'x')
        HexByte();
    else
        Emit(LexSymbol, c);
}

void Lexer::HexByte() {
    int value = 0;
    for (int digit = 0; digit < 2; ++digit) {
        if (AtEnd()) {
            ErrorAfter(std::string(kHexExpected));
            return;
        }
        const char c = Read();
        const int nibble = HexValue(c);
        if (nibble < 0) {
            ErrorHere(FormatRegExprMessage(kHexExpectedFound, {&c, 1}));
            return;
        }
        value = value * 16 + nibble;
    }
    Emit(LexSymbol, static_cast<char>(value));
}

void Lexer::Bracket() {
    for (bool first = true;; first = false) {
        SkipSpaces();
        if (AtEnd()) {
            ErrorAfter(FormatRegExprMessage(kMissing, "]"));
            return;
        }
        const char c = Read();
        switch (c) {
        case '\'':
            QuotedRun();
            break;
        case '/':
            Emit(LexDateSeparator, c);
            break;
        case ':':
            Emit(LexTimeSeparator, c);
            break;
        case '\\':
            Escape();
            break;
        case ']':
            Emit(LexSpecial, c);
            return;
        case '^':
            Emit(first ? LexSpecial : LexSymbol, c);
            break;
        case '-':
            if (first) {
                Emit(LexSymbol, c);
                break;
            }
            if (!RangeDash())
                return;
            break;
        default:
            Emit(LexSymbol, c);
        }
    }
}

// A dash between two members is a range; before the closing bracket it is
// the dash character itself. False when the mask ends after the dash.
bool Lexer::RangeDash() {
    std::size_t ahead = index_;
    while (ahead < source_.size() && IsRegExprSpace(source_[ahead]))
        ++ahead;
    if (ahead == source_.size()) {
        Emit(LexSpecial, '-');
        ErrorAfter(FormatRegExprMessage(kMissing, "]"));
        return false;
    }
    Emit(source_[ahead] == ']' ? LexSymbol : LexSpecial, '-');
    return true;
}

void Lexer::Brace() {
    for (;;) {
        SkipSpaces();
        if (AtEnd()) {
            ErrorAfter(FormatRegExprMessage(kMissing, "}"));
            return;
        }
        const char c = Read();
        if (IsDigit(c)) {
            std::string digits(1, c);
            while (!AtEnd() && IsDigit(Peek()))
                digits += Read();
            Emit(LexInteger, std::move(digits));
        } else if (c == ',') {
            Emit(LexSpecial, c);
        } else if (c == '}') {
            Emit(LexSpecial, c);
            return;
        } else {
            ErrorHere(FormatRegExprMessage(kIllegal,
                                           c == '\'' ? kQuoteArgument : std::string_view(&c, 1)));
        }
    }
}

} // namespace

TcxLexems RegExprLex(std::string_view source, TcxRegExprErrors& errors) {
    return Lexer(source, errors).Run();
}
