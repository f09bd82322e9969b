#include "cxRegExprParser.h"

#include "cxRegExprMessages.h"

#include <algorithm>
#include <cstdint>

using namespace cxRegExprMessages;

namespace {

// Repeat bounds are read saturated: any count this high is refused anyway.
constexpr std::uint64_t kCountCeiling = 1'000'000'000;

bool IsSpecial(const TcxLexem* lexem, char c) {
    return lexem != nullptr && lexem->kind == LexSpecial && lexem->text[0] == c;
}

unsigned char FirstByte(const TcxLexem& lexem) {
    return static_cast<unsigned char>(lexem.text[0]);
}

std::uint64_t CountValue(const TcxLexem& lexem) {
    std::uint64_t value = 0;
    for (const char digit : lexem.text)
        value = std::min(value * 10 + static_cast<std::uint64_t>(digit - '0'), kCountCeiling);
    return value;
}

// The character class a lexem stands for; null for a literal.
std::unique_ptr<TcxRegExprItem> ClassItem(const TcxLexem& lexem) {
    switch (lexem.kind) {
    case LexAny:
        return std::make_unique<TcxRegExprAll>();
    case LexWord:
    case LexNotWord:
        return std::make_unique<TcxRegExprIdLetter>(lexem.kind == LexNotWord);
    case LexDigit:
    case LexNotDigit:
        return std::make_unique<TcxRegExprDigit>(lexem.kind == LexNotDigit);
    case LexSpace:
    case LexNotSpace:
        return std::make_unique<TcxRegExprSpace>(lexem.kind == LexNotSpace);
    case LexDateSeparator:
        return std::make_unique<TcxRegExprDateSeparator>();
    case LexTimeSeparator:
        return std::make_unique<TcxRegExprTimeSeparator>();
    default:
        return nullptr;
    }
}

struct Bounds {
    std::uint64_t min = 0;
    std::uint64_t max = 0;
    bool unbounded = false;
};

class Parser {
public:
    Parser(const TcxLexems& lexems, const TcxRegExprLimits& limits, TcxRegExprErrors& errors)
        : lexems_(lexems), limits_(limits), errors_(errors) {}

    TcxRegExprParserAlts Run();

private:
    enum class AltEnd { Bar, Close, End };

    const TcxLexem* Peek() const { return pos_ < lexems_.size() ? &lexems_[pos_] : nullptr; }
    const TcxLexem& Take() { return lexems_[pos_++]; }
    void Error(const TcxLexem& at, std::string_view message) {
        errors_.push_back({at.line, at.column, std::string(message)});
    }

    template <typename Sink> void Alternatives(bool inBlock, Sink add);
    AltEnd Alternative(TcxRegExprParserAlt& alt, bool inBlock);
    void Block(TcxRegExprParserAlt& alt, const TcxLexem& open);
    void SkipBlock();
    void SkipPast(char close);
    void Set(TcxRegExprParserAlt& alt);
    void Reference(TcxRegExprParserAlt& alt, const TcxLexem& lexem);
    void Quantifier(TcxRegExprParserAlt& alt, const TcxLexem& lexem);
    void Parameter(TcxRegExprParserAlt& alt, const TcxLexem& open);
    bool ReadBounds(Bounds& bounds);

    std::unique_ptr<TcxRegExprParserItem> Simple(std::unique_ptr<TcxRegExprItem> item);
    std::unique_ptr<TcxRegExprParserBlockItem>
    NewBlock(std::unique_ptr<TcxRegExprQuantifier> quantifier = nullptr);
    std::unique_ptr<TcxRegExprParserItem> Clone(const TcxRegExprParserItem& item);
    std::unique_ptr<TcxRegExprParserItem> Apply(std::unique_ptr<TcxRegExprParserItem> item,
                                                std::unique_ptr<TcxRegExprQuantifier> quantifier);
    std::unique_ptr<TcxRegExprParserItem> Repeat(const TcxRegExprParserItem& item,
                                                 const Bounds& bounds);
    std::unique_ptr<TcxRegExprParserItem> OptionalTail(const TcxRegExprParserItem& item,
                                                       std::uint64_t count);

    const TcxLexems& lexems_;
    const TcxRegExprLimits& limits_;
    TcxRegExprErrors& errors_;
    std::size_t pos_ = 0;
    // Every block opened so far, by opening parenthesis, for references.
    std::vector<const TcxRegExprParserBlockItem*> blocks_;
    // Items a repeat replaced; kept because blocks_ may point into them.
    std::vector<std::unique_ptr<TcxRegExprParserItem>> replaced_;
    std::size_t created_ = 0; // states created so far
    std::size_t level_ = 0;   // blocks open around the current alternative
};

TcxRegExprParserAlts Parser::Run() {
    TcxRegExprParserAlts alternatives;
    Alternatives(false, [&](TcxRegExprParserAlt alt) { alternatives.push_back(std::move(alt)); });
    return alternatives;
}

// Each alternative is handed to add as soon as it is complete, so that a
// reference inside an open block repeats the alternatives finished so far.
template <typename Sink> void Parser::Alternatives(bool inBlock, Sink add) {
    for (;;) {
        const TcxLexem* first = Peek();
        if (first == nullptr) {
            errors_.push_back({0, 0, std::string(kAlternativeEmpty)});
            return;
        }
        if (IsSpecial(first, '|')) {
            Error(Take(), kAlternativeEmpty);
            continue;
        }
        if (inBlock && IsSpecial(first, ')')) {
            Error(Take(), kBlockEmpty);
            return;
        }
        TcxRegExprParserAlt alt;
        const AltEnd end = Alternative(alt, inBlock);
        add(std::move(alt));
        if (end != AltEnd::Bar)
            return;
    }
}

Parser::AltEnd Parser::Alternative(TcxRegExprParserAlt& alt, bool inBlock) {
    while (Peek() != nullptr) {
        const TcxLexem& lexem = Take();
        switch (lexem.kind) {
        case LexSymbol:
            alt.Add(Simple(std::make_unique<TcxRegExprSymbol>(lexem.text[0])));
            break;
        case LexReference:
            Reference(alt, lexem);
            break;
        case LexInteger:
            Error(lexem, kIllegalInteger);
            break;
        case LexSpecial:
            switch (lexem.text[0]) {
            case '|':
                return AltEnd::Bar;
            case ')':
                if (inBlock)
                    return AltEnd::Close;
                Error(lexem, FormatRegExprMessage(kIllegal, lexem.text));
                break;
            case '(':
                Block(alt, lexem);
                break;
            case '[':
                Set(alt);
                break;
            case '*':
            case '+':
            case '?':
                Quantifier(alt, lexem);
                break;
            case '{':
                Parameter(alt, lexem);
                break;
            default:
                Error(lexem, FormatRegExprMessage(kIllegal, lexem.text));
            }
            break;
        default:
            alt.Add(Simple(ClassItem(lexem)));
        }
    }
    return AltEnd::End;
}

void Parser::Block(TcxRegExprParserAlt& alt, const TcxLexem& open) {
    if (level_ >= limits_.maxDepth) {
        Error(open, kTooLarge);
        SkipBlock();
        return;
    }
    auto block = NewBlock();
    blocks_.push_back(block.get());
    ++level_;
    Alternatives(true, [&](TcxRegExprParserAlt inner) { block->AddAlternative(std::move(inner)); });
    --level_;
    alt.Add(std::move(block));
}

void Parser::SkipBlock() {
    for (int open = 1; Peek() != nullptr && open > 0;) {
        const TcxLexem& lexem = Take();
        if (IsSpecial(&lexem, '('))
            ++open;
        else if (IsSpecial(&lexem, ')'))
            --open;
    }
}

void Parser::SkipPast(char close) {
    while (const TcxLexem* lexem = Peek()) {
        Take();
        if (IsSpecial(lexem, close))
            return;
    }
}

void Parser::Set(TcxRegExprParserAlt& alt) {
    const bool inverse = IsSpecial(Peek(), '^');
    if (inverse)
        Take();
    auto set = std::make_unique<TcxRegExprUserEnumeration>(inverse);
    // An empty set ends at its own bracket; it still stands as an item, so
    // that what follows is parsed as it would be after any other set.
    if (IsSpecial(Peek(), ']')) {
        Error(Take(), kEmptyEnumeration);
        alt.Add(Simple(std::move(set)));
        return;
    }
    while (Peek() != nullptr) {
        const TcxLexem& p = Take();
        if (IsSpecial(&p, ']'))
            break;
        if (!IsSpecial(Peek(), '-') || pos_ + 1 >= lexems_.size()) {
            auto item = ClassItem(p);
            set->Add(item ? std::move(item) : std::make_unique<TcxRegExprSymbol>(p.text[0]));
            continue;
        }
        Take();
        const TcxLexem& q = Take();
        if (FirstByte(p) < FirstByte(q))
            set->Add(std::make_unique<TcxRegExprSubrange>(p.text[0], q.text[0]));
        else
            Error(q, kSubrangeOrder);
        while (IsSpecial(Peek(), '-'))
            Error(Take(), FormatRegExprMessage(kIllegal, "-"));
    }
    alt.Add(Simple(std::move(set)));
}

void Parser::Reference(TcxRegExprParserAlt& alt, const TcxLexem& lexem) {
    const std::size_t number = static_cast<std::size_t>(lexem.text[0] - '0');
    if (number > blocks_.size()) {
        Error(lexem, kTooBigReference);
        return;
    }
    const TcxRegExprParserBlockItem& block = *blocks_[number - 1];
    if (created_ + block.StateCount() > limits_.maxStates ||
        level_ + block.Depth() > limits_.maxDepth) {
        Error(lexem, kTooLarge);
        return;
    }
    alt.Add(Clone(block));
}

void Parser::Quantifier(TcxRegExprParserAlt& alt, const TcxLexem& lexem) {
    const char kind = lexem.text[0];
    if (alt.Empty()) {
        Error(lexem, FormatRegExprMessage(kIllegalQuantifier, lexem.text));
        return;
    }
    const TcxRegExprParserItem& last = *alt.Last();
    if (kind != '?' && last.CanBeEmpty()) {
        Error(lexem, kind == '*' ? kStarNotApplicable : kPlusNotApplicable);
        return;
    }
    if (!last.HasSimpleQuantifier() && level_ + last.Depth() + 1 > limits_.maxDepth) {
        Error(lexem, kTooLarge);
        return;
    }
    std::unique_ptr<TcxRegExprQuantifier> quantifier;
    if (kind == '*')
        quantifier = std::make_unique<TcxRegExprStarQuantifier>();
    else if (kind == '+')
        quantifier = std::make_unique<TcxRegExprPlusQuantifier>();
    else
        quantifier = std::make_unique<TcxRegExprQuestionQuantifier>();
    alt.Add(Apply(alt.TakeLast(), std::move(quantifier)));
}

void Parser::Parameter(TcxRegExprParserAlt& alt, const TcxLexem& open) {
    if (alt.Empty()) {
        // The bounds are not read; they show up as stray lexems.
        Error(open, kIncorrectParameter);
        return;
    }
    Bounds bounds;
    if (!ReadBounds(bounds)) {
        Error(open, kIncorrectParameter);
        SkipPast('}');
        return;
    }
    const TcxRegExprParserItem& last = *alt.Last();
    if (last.CanBeMissing()) {
        Error(open, kParameterNotApplicable);
        return;
    }
    // The states Repeat will create: the copies, the surrounding block, a
    // block per optional copy but the innermost, and a wrapper where the last
    // copy takes its quantifier from a block.
    const std::uint64_t tail = bounds.unbounded ? 1 : bounds.max - bounds.min;
    std::uint64_t states = 2 + (bounds.min + tail) * last.StateCount();
    if (tail > 0)
        states += 2 * (tail - 1) + (last.HasSimpleQuantifier() ? 0 : 2);
    const std::uint64_t depth = level_ + last.Depth() + tail + 2;
    if (states > limits_.maxStates - std::min(created_, limits_.maxStates) ||
        depth > limits_.maxDepth) {
        Error(open, kParameterTooLarge);
        return;
    }
    auto repeated = Repeat(last, bounds);
    replaced_.push_back(alt.TakeLast());
    alt.Add(std::move(repeated));
}

// Reads n}, n,} or n,m} with m >= n.
bool Parser::ReadBounds(Bounds& bounds) {
    const TcxLexem* lexem = Peek();
    if (lexem == nullptr || lexem->kind != LexInteger)
        return false;
    bounds.min = bounds.max = CountValue(Take());
    if (IsSpecial(Peek(), '}')) {
        Take();
        return true;
    }
    if (!IsSpecial(Peek(), ','))
        return false;
    Take();
    if (IsSpecial(Peek(), '}')) {
        Take();
        bounds.unbounded = true;
        return true;
    }
    lexem = Peek();
    if (lexem == nullptr || lexem->kind != LexInteger)
        return false;
    bounds.max = CountValue(*lexem);
    if (bounds.max < bounds.min)
        return false;
    Take();
    if (!IsSpecial(Peek(), '}'))
        return false;
    Take();
    return true;
}

std::unique_ptr<TcxRegExprParserItem> Parser::Simple(std::unique_ptr<TcxRegExprItem> item) {
    ++created_;
    return std::make_unique<TcxRegExprParserSimpleItem>(std::move(item));
}

std::unique_ptr<TcxRegExprParserBlockItem>
Parser::NewBlock(std::unique_ptr<TcxRegExprQuantifier> quantifier) {
    created_ += 2;
    return std::make_unique<TcxRegExprParserBlockItem>(std::move(quantifier));
}

std::unique_ptr<TcxRegExprParserItem> Parser::Clone(const TcxRegExprParserItem& item) {
    created_ += item.StateCount();
    return item.Clone();
}

// An item that still has the simple quantifier takes the new one; any other
// is wrapped in a block that carries it, so a+? means (a+)?.
std::unique_ptr<TcxRegExprParserItem>
Parser::Apply(std::unique_ptr<TcxRegExprParserItem> item,
              std::unique_ptr<TcxRegExprQuantifier> quantifier) {
    if (item->HasSimpleQuantifier()) {
        item->SetQuantifier(std::move(quantifier));
        return item;
    }
    auto block = NewBlock(std::move(quantifier));
    TcxRegExprParserAlt inner;
    inner.Add(std::move(item));
    block->AddAlternative(std::move(inner));
    return block;
}

// n copies, then either a starred copy or the optional tail.
std::unique_ptr<TcxRegExprParserItem> Parser::Repeat(const TcxRegExprParserItem& item,
                                                     const Bounds& bounds) {
    TcxRegExprParserAlt body;
    for (std::uint64_t i = 0; i < bounds.min; ++i)
        body.Add(Clone(item));
    if (bounds.unbounded)
        body.Add(Apply(Clone(item), std::make_unique<TcxRegExprStarQuantifier>()));
    else if (bounds.max > bounds.min)
        body.Add(OptionalTail(item, bounds.max - bounds.min));
    auto block = NewBlock();
    block->AddAlternative(std::move(body));
    return block;
}

// count optional copies, each nested in the one before so that it may only
// follow it: (x(x(x)?)?)? rather than x?x?x?, which keeps the state sets small.
std::unique_ptr<TcxRegExprParserItem> Parser::OptionalTail(const TcxRegExprParserItem& item,
                                                           std::uint64_t count) {
    auto tail = Apply(Clone(item), std::make_unique<TcxRegExprQuestionQuantifier>());
    for (std::uint64_t i = 1; i < count; ++i) {
        TcxRegExprParserAlt body;
        body.Add(Clone(item));
        body.Add(std::move(tail));
        auto block = NewBlock(std::make_unique<TcxRegExprQuestionQuantifier>());
        block->AddAlternative(std::move(body));
        tail = std::move(block);
    }
    return tail;
}

} // namespace

TcxRegExprParserAlts RegExprParse(const TcxLexems& lexems, const TcxRegExprLimits& limits,
                                  TcxRegExprErrors& errors) {
    return Parser(lexems, limits, errors).Run();
}
