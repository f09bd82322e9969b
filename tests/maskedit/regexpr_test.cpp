#include "cxRegExpr.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

const std::string kHexMask = R"(([\d]|[a-f]|[A-F]){1,8})";

std::vector<std::string> FullMessages(const TcxRegExprErrors& errors) {
    std::vector<std::string> messages;
    for (const auto& error : errors)
        messages.push_back(error.FullMessage());
    return messages;
}

// The full messages of a failed compilation; empty when the mask compiles.
std::vector<std::string> CompileErrors(const std::string& mask) {
    TcxRegExpr engine;
    try {
        engine.Compile(mask);
    } catch (const EcxRegExprError& error) {
        EXPECT_FALSE(engine.IsReady());
        EXPECT_EQ(FullMessages(engine.Errors()), FullMessages(error.Errors()));
        return FullMessages(error.Errors());
    }
    EXPECT_TRUE(engine.IsReady());
    return {};
}

TcxRegExpr Compiled(const std::string& mask, bool caseInsensitive = false) {
    TcxRegExpr engine;
    engine.SetCaseInsensitive(caseInsensitive);
    engine.Compile(mask);
    return engine;
}

// Which of the 256 bytes may follow, and whether the text so far is complete:
// two engines with the same signature are in equivalent states.
std::vector<bool> Signature(TcxRegExpr& engine) {
    std::vector<bool> signature;
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        const bool accepted = engine.Advance(c);
        signature.push_back(accepted);
        if (accepted) {
            EXPECT_TRUE(engine.StepBack());
        }
    }
    signature.push_back(engine.IsAccepting());
    return signature;
}

struct ErrorCase {
    std::string mask;
    std::vector<std::string> messages;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << "mask " << testing::PrintToString(c.mask.substr(0, 40));
}

class CompileError : public testing::TestWithParam<ErrorCase> {};

TEST_P(CompileError, ReportsEveryErrorOfThePassWithItsPlace) {
    EXPECT_THAT(CompileErrors(GetParam().mask), ElementsAreArray(GetParam().messages));
}

INSTANTIATE_TEST_SUITE_P(
    Lexer, CompileError,
    testing::Values(
        ErrorCase{"", {"The source stream is empty"}},
        ErrorCase{std::string(" \t\r\n\f\0", 6), {"The source stream is empty"}},
        ErrorCase{"(a", {"Missing ')'"}}, ErrorCase{"a)", {"Unnecessary ')'"}},
        ErrorCase{"'abc", {"Line1, Char5: Missing ' ' '"}},
        ErrorCase{"a\\ b", {"Line1, Char3: The space character is not allowed after '\\'"}},
        ErrorCase{"a\\\n", {"Line1: The space character is not allowed after '\\'"}},
        ErrorCase{"\\x", {"Line1, Char3: Hexadecimal number expected"}},
        ErrorCase{"\\x4", {"Line1, Char4: Hexadecimal number expected"}},
        ErrorCase{"\\x4g", {"Line1, Char4: Hexadecimal number expected but 'g' found"}},
        ErrorCase{"[ab", {"Line1, Char4: Missing ']'"}},
        ErrorCase{"[a-", {"Line1, Char4: Missing ']'"}},
        ErrorCase{"a{1", {"Line1, Char4: Missing '}'"}},
        ErrorCase{"a{1x}", {"Line1, Char4: Illegal 'x'"}},
        ErrorCase{"a{'}", {"Line1, Char3: Illegal ' ' '"}},
        // A carriage return starts a line; a line feed only resets the column.
        ErrorCase{"a\r\n\\x4g", {"Line2, Char4: Hexadecimal number expected but 'g' found"}},
        // Lexer errors end the compilation before the parser finds its own.
        ErrorCase{"**(", {"Missing ')'"}}));

INSTANTIATE_TEST_SUITE_P(
    Parser, CompileError,
    testing::Values(
        ErrorCase{"a)(b", {"Line1, Char2: Illegal ')'"}},
        ErrorCase{"*|+",
                  {"Line1, Char1: Illegal quantifier '*'", "Line1, Char3: Illegal quantifier '+'"}},
        ErrorCase{"a|?b", {"Line1, Char3: Illegal quantifier '?'"}},
        ErrorCase{"a**", {"Line1, Char3: The '*' quantifier cannot be applied here"}},
        ErrorCase{"(a?)*", {"Line1, Char5: The '*' quantifier cannot be applied here"}},
        ErrorCase{"a?+", {"Line1, Char3: The '+' quantifier cannot be applied here"}},
        ErrorCase{"a\r\n**", {"Line2, Char2: The '*' quantifier cannot be applied here"}},
        // With nothing to repeat the bounds are not read and stand alone.
        ErrorCase{"{2}",
                  {"Line1, Char1: Incorrect parameter quantifier",
                   "Line1, Char2: Illegal integer value", "Line1, Char3: Illegal '}'"}},
        ErrorCase{"{,}",
                  {"Line1, Char1: Incorrect parameter quantifier", "Line1, Char2: Illegal ','",
                   "Line1, Char3: Illegal '}'"}},
        ErrorCase{"a{3,2}", {"Line1, Char2: Incorrect parameter quantifier"}},
        ErrorCase{"a{,2}b{}",
                  {"Line1, Char2: Incorrect parameter quantifier",
                   "Line1, Char7: Incorrect parameter quantifier"}},
        ErrorCase{"a{1,2,3}", {"Line1, Char2: Incorrect parameter quantifier"}},
        ErrorCase{"a?{2}", {"Line1, Char3: The parameter quantifier cannot be applied here"}},
        ErrorCase{"a*{2}", {"Line1, Char3: The parameter quantifier cannot be applied here"}},
        ErrorCase{"a|", {"The alternative should not be empty"}},
        ErrorCase{"|a", {"Line1, Char1: The alternative should not be empty"}},
        ErrorCase{"a||b", {"Line1, Char3: The alternative should not be empty"}},
        ErrorCase{"()", {"Line1, Char2: The block should not be empty"}},
        ErrorCase{"(a|)", {"Line1, Char4: The block should not be empty"}},
        ErrorCase{"(a)\\2", {"Line1, Char5: Too big reference number"}},
        ErrorCase{"[]", {"Line1, Char2: Can't create empty enumeration"}},
        ErrorCase{"[^]", {"Line1, Char3: Can't create empty enumeration"}},
        // An empty set ends at its own bracket: what follows parses as usual.
        ErrorCase{"[]([a-c])", {"Line1, Char2: Can't create empty enumeration"}},
        ErrorCase{"[]|",
                  {"Line1, Char2: Can't create empty enumeration",
                   "The alternative should not be empty"}},
        ErrorCase{"[a-a]",
                  {"Line1, Char4: The starting character of the subrange must be "
                   "less than the finishing one"}},
        ErrorCase{"[b-a]",
                  {"Line1, Char4: The starting character of the subrange must be "
                   "less than the finishing one"}},
        ErrorCase{"[a-c-e]", {"Line1, Char5: Illegal '-'"}}));

INSTANTIATE_TEST_SUITE_P(
    SizeBounds, CompileError,
    testing::Values(ErrorCase{"((a{1000}){1000}){1000}",
                              {"Line1, Char11: The parameter quantifier is too large",
                               "Line1, Char18: The parameter quantifier is too large"}},
                    ErrorCase{"a{100000}", {"Line1, Char2: The parameter quantifier is too large"}},
                    ErrorCase{"a{99999999999999999999,}",
                              {"Line1, Char2: The parameter quantifier is too large"}},
                    // The optional tail nests one block per copy.
                    ErrorCase{"a{1,2000}", {"Line1, Char2: The parameter quantifier is too large"}},
                    // The first reference still fits, the second would not.
                    ErrorCase{"(a{12000})\\1\\1",
                              {"Line1, Char14: The regular expression is too large"}},
                    ErrorCase{std::string(1001, '(') + "a" + std::string(1001, ')'),
                              {"Line1, Char1001: The regular expression is too large"}},
                    // Optional items link each to all that follow: quadratic in their number.
                    ErrorCase{[] {
                                  std::string mask;
                                  for (int i = 0; i < 710; ++i)
                                      mask += "a?";
                                  return mask;
                              }(),
                              {"The regular expression is too large"}}));

TEST(CompileError, BoundsLeaveRoomForLargeButSaneMasks) {
    EXPECT_THAT(CompileErrors(std::string(1000, '(') + "a" + std::string(1000, ')')),
                ElementsAre());
    EXPECT_THAT(CompileErrors("(a{8000})\\1"), ElementsAre());
    TcxRegExpr engine = Compiled("x{1,500}");
    EXPECT_EQ(engine.FilterText(std::string(501, 'x')), std::string(500, 'x'));
    EXPECT_TRUE(engine.IsAccepting());
}

TEST(CompileError, FullMessageLeavesOutAnUnknownPlace) {
    EXPECT_EQ((TcxRegExprError{0, 0, "m"}).FullMessage(), "m");
    EXPECT_EQ((TcxRegExprError{0, 7, "m"}).FullMessage(), "m");
    EXPECT_EQ((TcxRegExprError{3, 0, "m"}).FullMessage(), "Line3: m");
    EXPECT_EQ((TcxRegExprError{1, 5, "m"}).FullMessage(), "Line1, Char5: m");
}

TEST(CompileError, ExceptionIsAnEditErrorAndNamesAllErrors) {
    TcxRegExpr engine;
    try {
        engine.Compile("*|+");
        FAIL() << "compiled";
    } catch (const EcxEditError& error) {
        EXPECT_STREQ(error.what(), "Line1, Char1: Illegal quantifier '*'\n"
                                   "Line1, Char3: Illegal quantifier '+'");
    }
}

TEST(CompileFrom, ReadsTheWholeStream) {
    TcxRegExpr engine;
    std::istringstream source("a\n b");
    engine.CompileFrom(source);
    EXPECT_EQ(engine.CompiledSource(), "a\n b");
    EXPECT_EQ(engine.FilterText("abc"), "ab");
    EXPECT_TRUE(engine.IsAccepting());
}

TEST(CompileFrom, AStreamThatCannotBeReadIsNotAssigned) {
    std::ifstream missing("/nonexistent/mask");
    std::istringstream broken("a");
    broken.setstate(std::ios::badbit);
    for (std::istream* source :
         {static_cast<std::istream*>(&missing), static_cast<std::istream*>(&broken)}) {
        TcxRegExpr engine;
        EXPECT_THROW(engine.CompileFrom(*source), EcxRegExprError);
        EXPECT_THAT(FullMessages(engine.Errors()),
                    ElementsAre("The source stream is not assigned"));
    }
}

TEST(CompileFrom, ASecondCompilationStartsAfresh) {
    TcxRegExpr engine;
    engine.Compile("a");
    EXPECT_THROW(engine.Compile("a**"), EcxRegExprError);
    EXPECT_FALSE(engine.IsReady());
    EXPECT_EQ(engine.CompiledSource(), std::nullopt);
    engine.Compile("b");
    EXPECT_TRUE(engine.Errors().empty());
    EXPECT_EQ(engine.FilterText("ab"), "b");
}

TEST(CompileFrom, MovingHandsOverTheMatcherWithItsState) {
    TcxRegExpr first = Compiled("ab");
    EXPECT_EQ(first.FilterText("a"), "a");
    TcxRegExpr second = std::move(first);
    EXPECT_FALSE(first.IsReady());
    EXPECT_EQ(second.FilterText("b"), "b");
    EXPECT_TRUE(second.IsAccepting());
}

TEST(Matching, EveryOperationNeedsACompiledMask) {
    TcxRegExpr engine;
    EXPECT_THROW(engine.Compile("a{"), EcxRegExprError);
    char c = 'a';
    const auto expectNotCompiled = [](auto operation) {
        try {
            operation();
            ADD_FAILURE() << "no error";
        } catch (const EcxRegExprError&) {
            ADD_FAILURE() << "a compilation error";
        } catch (const EcxEditError& error) {
            EXPECT_STREQ(error.what(), "Regular expression is not compiled");
        }
    };
    expectNotCompiled([&] { engine.Restart(); });
    expectNotCompiled([&] { engine.Advance(c); });
    expectNotCompiled([&] { engine.StepBack(); });
    expectNotCompiled([&] { engine.IsAccepting(); });
    expectNotCompiled([&] { engine.IsAtStart(); });
    expectNotCompiled([&] { engine.FilterText("a"); });
}

struct MatchCase {
    std::string mask;
    std::string input;
    std::string accepted; // what FilterText keeps of input
    bool accepting;       // whether the kept text matches the whole mask
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << "mask " << testing::PrintToString(c.mask) << " input "
        << testing::PrintToString(c.input);
}

class Match : public testing::TestWithParam<MatchCase> {};

TEST_P(Match, FilterKeepsWhatTheMaskLetsFollow) {
    TcxRegExpr engine = Compiled(GetParam().mask);
    EXPECT_EQ(engine.FilterText(GetParam().input), GetParam().accepted);
    EXPECT_EQ(engine.IsAccepting(), GetParam().accepting);
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, Match,
    testing::Values(
        MatchCase{"( a | b )", "ab", "a", true}, MatchCase{"a b", "a b", "ab", true},
        MatchCase{"'a b'", "a b", "a b", true}, MatchCase{"'it''s'", "it's", "it's", true},
        MatchCase{"'(*)'", "(*)", "(*)", true}, MatchCase{"''a", "a", "a", true},
        MatchCase{R"(\d\D)", "a1b", "1b", true}, MatchCase{R"(\w\W)", "-_a-", "_-", true},
        MatchCase{R"(\s\S)", "x\ty", "\ty", true},
        MatchCase{R"(\s)", std::string(1, '\0'), std::string(1, '\0'), true},
        MatchCase{R"(\a\e\f\n\r\t)", "\a\x1B\f\n\r\t", "\a\x1B\f\n\r\t", true},
        MatchCase{R"(\x41\x6a\xFF)", "Aj\xFF", "Aj\xFF", true},
        MatchCase{R"(\.\\\0\')", "x.\\0'", ".\\0'", true}, MatchCase{"a\\", "a", "a", true},
        MatchCase{"...", "\xFF\n ", "\xFF\n ", true}, MatchCase{"/:", ":/:", "/:", true},
        MatchCase{"$^]},-", "$^]},-", "$^]},-", true}, MatchCase{"[^a-c]", "ad", "d", true},
        MatchCase{"[a-]", "b-", "-", true}, MatchCase{"[-a]", "-", "-", true},
        MatchCase{"[a^]", "^", "^", true}, MatchCase{"[.*|(]", "x(", "(", true},
        MatchCase{R"([\d_])", "a_", "_", true}, MatchCase{R"([^\d\s])", "1 x", "x", true},
        MatchCase{"['a-c']", "b-", "-", true}, MatchCase{"[ a - c ]", "b", "b", true},
        MatchCase{"[/:]", ":", ":", true}, MatchCase{R"([\x20-\x22])", "!", "!", true},
        MatchCase{"[a-c]", "A", "", false}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Quantifiers, Match,
    testing::Values(MatchCase{"ab?c", "ac", "ac", true}, MatchCase{"ab*c", "abbbc", "abbbc", true},
                    MatchCase{"ab+c", "ac", "a", false}, MatchCase{"ab+c", "abbc", "abbc", true},
                    MatchCase{"a+?b", "b", "b", true}, MatchCase{"a+*", "aaa", "aaa", true},
                    MatchCase{"a??", "aa", "a", true}, MatchCase{"a{3}", "aaaa", "aaa", true},
                    MatchCase{"a{2,}", "a", "a", false}, MatchCase{"a{2,}", "aaaaa", "aaaaa", true},
                    MatchCase{"a{2,4}", "aaaaa", "aaaa", true}, MatchCase{"a{0}b", "ab", "b", true},
                    MatchCase{"a{0,0}", "a", "", true}, MatchCase{"a+{2}", "aaa", "aaa", true},
                    MatchCase{"(ab){1,2}", "ababa", "abab", true},
                    MatchCase{"(ab){1,2}", "aba", "aba", false},
                    MatchCase{"abc|abd", "abd", "abd", true},
                    MatchCase{"(ab|a)c", "ac", "ac", true}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// A reference repeats the pattern of a block, not the text it matched; inside
// its own block it repeats the alternatives finished so far.
INSTANTIATE_TEST_SUITE_P(References, Match,
                         testing::Values(MatchCase{R"((ab)\1)", "abab", "abab", true},
                                         MatchCase{R"((a|b)\1)", "ab", "ab", true},
                                         MatchCase{R"((a(b))\2)", "abb", "abb", true},
                                         MatchCase{R"((a|b\1))", "ba", "ba", true},
                                         MatchCase{R"((a){2}\1)", "aaa", "aaa", true}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

// The two mended faults: a repeat may link block states into a loop that
// consumes nothing, and items that can be empty without being missing must
// not stop the final marking.
INSTANTIATE_TEST_SUITE_P(
    MendedFaults, Match,
    testing::Values(MatchCase{"(a?){1,}", "aaaa", "aaaa", true},
                    MatchCase{"(a?){1,}", "", "", true},
                    MatchCase{"((a?)(b?)){2,}", "abbax", "abba", true},
                    MatchCase{"(a?|b){3,}c", "bbbbc", "bbbbc", true},
                    MatchCase{"x(a?)", "x", "x", true}, MatchCase{"x(a?)(b*)", "x", "x", true},
                    MatchCase{"(a?)", "", "", true}, MatchCase{"a{0,2}", "", "", true},
                    MatchCase{"(a|b?)c", "", "", false}, MatchCase{"(a?)?x", "x", "x", true}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(HexMask, AcceptsExactlyTheHexDigitsOfEachByte) {
    TcxRegExpr engine = Compiled(kHexMask);
    for (int b = 0; b < 256; ++b) {
        const bool hex = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F');
        char c = static_cast<char>(b);
        engine.Restart();
        EXPECT_EQ(engine.Advance(c), hex) << "byte " << b;
        EXPECT_EQ(c, static_cast<char>(b));
        EXPECT_EQ(engine.IsAccepting(), hex) << "byte " << b;
    }
}

TEST(HexMask, AcceptsOneToEightDigits) {
    TcxRegExpr engine = Compiled(kHexMask);
    EXPECT_FALSE(engine.IsAccepting());
    EXPECT_TRUE(engine.IsAtStart());
    const std::string digits = "9aF0b1C2d";
    for (std::size_t k = 0; k < digits.size(); ++k) {
        char c = digits[k];
        EXPECT_EQ(engine.Advance(c), k < 8) << "digit " << k + 1;
        EXPECT_TRUE(engine.IsAccepting()) << "digit " << k + 1;
        EXPECT_FALSE(engine.IsAtStart());
    }
}

TEST(HexMask, FilterTextKeepsTheDigits) {
    TcxRegExpr engine = Compiled(kHexMask);
    engine.Restart();
    EXPECT_EQ(engine.FilterText("0x1F"), "01F");
    engine.Restart();
    EXPECT_EQ(engine.FilterText("12 34-56"), "123456");
    engine.Restart();
    EXPECT_EQ(engine.FilterText("123456789ABC"), "12345678");
    // FilterText goes on from where the matcher stands.
    EXPECT_EQ(engine.FilterText("1"), "");
}

TEST(History, StepBackUndoesOneAcceptedCharacter) {
    TcxRegExpr engine = Compiled("a(b|c)d?");
    EXPECT_FALSE(engine.StepBack());
    char a = 'a';
    ASSERT_TRUE(engine.Advance(a));
    const auto afterA = Signature(engine);
    char x = 'x';
    EXPECT_FALSE(engine.Advance(x));
    char b = 'b';
    ASSERT_TRUE(engine.Advance(b));
    EXPECT_TRUE(engine.IsAccepting());
    EXPECT_TRUE(engine.StepBack());
    EXPECT_EQ(Signature(engine), afterA);
    ASSERT_TRUE(engine.Advance(b));
    EXPECT_TRUE(engine.StepBack());
    EXPECT_TRUE(engine.StepBack());
    EXPECT_TRUE(engine.IsAtStart());
    EXPECT_FALSE(engine.StepBack());
    EXPECT_EQ(engine.FilterText("ab"), "ab");
    engine.Restart();
    EXPECT_TRUE(engine.IsAtStart());
    EXPECT_FALSE(engine.StepBack());
}

TEST(History, CompiledSourceMakesAnIndependentMatcher) {
    TcxRegExpr first = Compiled(kHexMask);
    EXPECT_EQ(first.FilterText("1234"), "1234");
    TcxRegExpr second = Compiled(*first.CompiledSource());
    EXPECT_EQ(second.FilterText("abcdef12"), "abcdef12");
    EXPECT_EQ(first.FilterText("56789"), "5678");
}

struct CaseCase {
    std::string mask;
    std::string input;
    std::string accepted;
};

class CaseInsensitive : public testing::TestWithParam<CaseCase> {};

// Literals, in sets too, match either case and hand back their own
// character; ranges and classes compare as they stand.
TEST_P(CaseInsensitive, LiteralsOnly) {
    TcxRegExpr engine = Compiled(GetParam().mask, true);
    EXPECT_EQ(engine.FilterText(GetParam().input), GetParam().accepted);
}

INSTANTIATE_TEST_SUITE_P(Masks, CaseInsensitive,
                         testing::Values(CaseCase{"abc", "ABC", "abc"}, CaseCase{"abc", "A", "a"},
                                         CaseCase{"[a-c]", "A", ""}, CaseCase{"[a-c]", "a", "a"},
                                         CaseCase{"[abc]", "B", "b"}, CaseCase{"[^abc]", "Bd", "d"},
                                         CaseCase{R"(\x41)", "a", "A"},
                                         CaseCase{"(X|[a-z])y", "xY", "Xy"},
                                         // A literal that matches must not hide a
                                         // path on which a range takes its character.
                                         CaseCase{"(x|xa?)[a-z]1", "xA1", "xa1"},
                                         CaseCase{"(xa?|x)[a-z]1", "xA1", "xa1"},
                                         CaseCase{R"(\w\d)", "A1", "A1"},
                                         CaseCase{kHexMask, "aBcD", "aBcD"}));

TEST(CaseInsensitive, OffByDefault) {
    TcxRegExpr engine = Compiled("abc");
    EXPECT_FALSE(engine.CaseInsensitive());
    EXPECT_EQ(engine.FilterText("A"), "");
}

TEST(Locale, DecimalSeparatorIsTheProcessLocales) {
    TcxRegExpr engine = Compiled(R"(\p)");
    const std::string point(1, std::localeconv()->decimal_point[0]);
    EXPECT_EQ(engine.FilterText(point), point);
}

} // namespace
