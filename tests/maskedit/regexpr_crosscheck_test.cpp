// Random masks from the syntax the engine shares with ECMAScript regular
// expressions, each written in both dialects, checked against std::regex:
// a text that matches whole must be accepted character by character, and a
// text accepted character by character is complete exactly when it matches.
// The same masks, matched case-insensitively, must reach the same states
// again when the text they handed back is fed in afresh.
#include "cxRegExpr.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

constexpr std::string_view kLiterals = "abc01_-. '";
constexpr std::string_view kInputs = "abc01_-. 'xA";
const std::vector<std::string> kClasses = {"\\d", "\\D", "\\w", "\\W", "\\s", "\\S", "."};
// libstdc++ backtracks exponentially on nested repeats of items that can be
// empty; its polynomial mode runs the same automaton breadth-first.
#ifdef __GLIBCXX__
constexpr auto kReferenceSyntax = std::regex::ECMAScript | std::regex_constants::__polynomial;
#else
constexpr auto kReferenceSyntax = std::regex::ECMAScript;
#endif

const std::vector<std::string> kSetMembers = {"a", "b", "0", "_", ".", "a-c", "0-1", "\\d", "\\s"};

struct Node {
    enum Kind { Literal, Class, Set, Group, Repeat } kind;
    std::string text;                    // the literal, class or set body
    bool inverse = false;                // set
    std::vector<std::vector<Node>> alts; // group
    std::vector<Node> child;             // repeat: its one item
    char quantifier = 0;                 // repeat: ? * + or { for bounds
    int min = 0;
    int max = 0; // -1: no upper bound
};

bool CanBeEmpty(const Node& node) {
    switch (node.kind) {
    case Node::Group:
        for (const auto& alt : node.alts) {
            bool empty = true;
            for (const auto& item : alt)
                empty = empty && CanBeEmpty(item);
            if (empty)
                return true;
        }
        return false;
    case Node::Repeat:
        return node.min == 0 || CanBeEmpty(node.child[0]);
    default:
        return false;
    }
}

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    std::vector<std::vector<Node>> Alternatives(int depth) {
        std::vector<std::vector<Node>> alts(1 + Pick(depth > 0 ? 3 : 2));
        for (auto& alt : alts) {
            const int length = 1 + Pick(3);
            for (int i = 0; i < length; ++i)
                alt.push_back(Item(depth));
        }
        return alts;
    }

    std::string Input() {
        std::string text(static_cast<std::size_t>(Pick(9)), ' ');
        for (char& c : text)
            c = kInputs[static_cast<std::size_t>(Pick(static_cast<int>(kInputs.size())))];
        return text;
    }

    // A text the node probably matches: sets and classes are only guessed.
    std::string Sample(const Node& node) {
        switch (node.kind) {
        case Node::Literal:
            return node.text;
        case Node::Class:
        case Node::Set:
            return Input().substr(0, 1);
        case Node::Group: {
            std::string text;
            for (const auto& item :
                 node.alts[static_cast<std::size_t>(Pick(static_cast<int>(node.alts.size())))])
                text += Sample(item);
            return text;
        }
        case Node::Repeat: {
            std::string text;
            const int count = node.min + Pick((node.max < 0 ? 2 : node.max - node.min) + 1);
            for (int i = 0; i < count; ++i)
                text += Sample(node.child[0]);
            return text;
        }
        }
        return {};
    }

    std::string Mutate(std::string text) {
        const auto at = static_cast<std::size_t>(Pick(static_cast<int>(text.size()) + 1));
        const char c = Input().append("x")[0];
        if (at < text.size() && Chance(50))
            text.erase(at, 1);
        else
            text.insert(at, 1, c);
        return text;
    }

private:
    Node Item(int depth) {
        const int kind = Pick(depth > 0 ? 10 : 7);
        Node node;
        if (kind < 3) {
            node.kind = Node::Literal;
            node.text = std::string(
                1, kLiterals[static_cast<std::size_t>(Pick(static_cast<int>(kLiterals.size())))]);
        } else if (kind < 4) {
            node.kind = Node::Class;
            node.text = kClasses[static_cast<std::size_t>(Pick(static_cast<int>(kClasses.size())))];
        } else if (kind < 6) {
            node.kind = Node::Set;
            node.inverse = Chance(30);
            for (int i = 1 + Pick(3); i > 0; --i)
                node.text += kSetMembers[static_cast<std::size_t>(
                    Pick(static_cast<int>(kSetMembers.size())))];
        } else if (kind < 8) {
            node.kind = Node::Group;
            node.alts = Alternatives(depth - 1);
        } else {
            return Quantified(Item(depth - 1));
        }
        return Chance(35) ? Quantified(std::move(node)) : node;
    }

    // * and + refuse an item that can be empty; {n,} takes it.
    Node Quantified(Node child) {
        Node node;
        node.kind = Node::Repeat;
        const bool empty = CanBeEmpty(child);
        switch (Pick(6)) {
        case 0:
            node.quantifier = '?', node.min = 0, node.max = 1;
            break;
        case 1:
            node.quantifier = empty ? '?' : '*', node.min = 0, node.max = empty ? 1 : -1;
            break;
        case 2:
            node.quantifier = empty ? '?' : '+', node.min = empty ? 0 : 1,
            node.max = empty ? 1 : -1;
            break;
        case 3:
            node.quantifier = '{', node.min = node.max = Pick(4);
            break;
        case 4:
            node.quantifier = '{', node.min = Pick(3), node.max = -1;
            break;
        default:
            node.quantifier = '{', node.min = Pick(3), node.max = node.min + Pick(3);
        }
        node.child.push_back(std::move(child));
        return node;
    }

    std::mt19937 rng_;
};

std::string Bounds(const Node& node, const std::string& space) {
    if (node.quantifier != '{')
        return std::string(1, node.quantifier);
    std::string text = "{" + space + std::to_string(node.min);
    if (node.max != node.min)
        text += space + "," + space + (node.max < 0 ? "" : std::to_string(node.max));
    return text + space + "}";
}

std::string Ecma(const std::vector<std::vector<Node>>& alts);

std::string Ecma(const Node& node) {
    switch (node.kind) {
    case Node::Literal:
        return node.text == "." ? "\\." : node.text;
    case Node::Class:
        return node.text;
    case Node::Set:
        return std::string("[") + (node.inverse ? "^" : "") + node.text + "]";
    case Node::Group:
        return "(?:" + Ecma(node.alts) + ")";
    case Node::Repeat: {
        const Node& child = node.child[0];
        const std::string inner = Ecma(child);
        return (child.kind == Node::Repeat ? "(?:" + inner + ")" : inner) + Bounds(node, "");
    }
    }
    return {};
}

std::string Ecma(const std::vector<std::vector<Node>>& alts) {
    std::string text;
    for (const auto& alt : alts) {
        if (!text.empty())
            text += '|';
        for (const auto& item : alt)
            text += Ecma(item);
    }
    return text;
}

// The engine's own spelling, with blanks that it must skip and the ways of
// writing a literal and a nested quantifier that it offers.
class EngineWriter {
public:
    explicit EngineWriter(Generator& generator) : gen_(generator) {}

    std::string Alts(const std::vector<std::vector<Node>>& alts) {
        std::string text;
        for (const auto& alt : alts) {
            if (!text.empty())
                text += Space() + "|" + Space();
            for (const auto& item : alt)
                text += Item(item) + Space();
        }
        return text;
    }

private:
    std::string Space() { return gen_.Chance(20) ? " " : ""; }

    // A quoted run is closed by a blank: a quote right after it would be
    // read as a quote character inside it.
    std::string Literal(const std::string& c) {
        if (c == "'")
            return gen_.Chance(50) ? "'''' " : "\\'";
        if (c == " " || gen_.Chance(30))
            return "'" + c + "' ";
        return c == "." ? "\\." : c;
    }

    std::string Item(const Node& node) {
        switch (node.kind) {
        case Node::Literal:
            return Literal(node.text);
        case Node::Class:
            return node.text;
        case Node::Set:
            return "[" + Space() + (node.inverse ? "^" : "") + node.text + Space() + "]";
        case Node::Group:
            return "(" + Alts(node.alts) + ")";
        case Node::Repeat: {
            // A quantifier on a quantified item wraps it in a block of its
            // own; braces need an item that cannot be missing.
            const Node& child = node.child[0];
            const bool bare = child.kind != Node::Repeat ||
                              ((node.quantifier != '{' || child.min > 0) && gen_.Chance(50));
            const std::string inner = Item(child);
            return (bare ? inner : "(" + inner + ")") + Space() + Bounds(node, Space());
        }
        }
        return {};
    }

    Generator& gen_;
};

TEST(CrossCheck, AgreesWithStdRegexOnTheCommonSubset) {
    Generator gen(20240611);
    int matched = 0;
    int complete = 0;
    for (int round = 0; round < 1500; ++round) {
        const auto tree = gen.Alternatives(3);
        const std::string mask = EngineWriter(gen).Alts(tree);
        const std::string ecma = Ecma(tree);
        SCOPED_TRACE("mask " + mask + "  ecma " + ecma);
        TcxRegExpr engine;
        ASSERT_NO_THROW(engine.Compile(mask));
        const std::regex reference(ecma, kReferenceSyntax);

        std::vector<std::string> inputs;
        for (int i = 0; i < 8; ++i) {
            inputs.push_back(gen.Input());
            Node group{Node::Group, {}, false, tree, {}, 0, 0, 0};
            inputs.push_back(gen.Sample(group));
            inputs.push_back(gen.Mutate(inputs.back()));
        }
        for (const std::string& input : inputs) {
            SCOPED_TRACE("input '" + input + "'");
            engine.Restart();
            bool allAccepted = true;
            for (char c : input) {
                if (!engine.Advance(c)) {
                    allAccepted = false;
                    break;
                }
            }
            const bool matches = std::regex_match(input, reference);
            if (matches) {
                ++matched;
                EXPECT_TRUE(allAccepted);
            }
            if (allAccepted) {
                ++complete;
                EXPECT_EQ(engine.IsAccepting(), matches);
            }
        }
    }
    // Both outcomes must occur often enough for the comparison to mean something.
    EXPECT_GT(matched, 5000);
    EXPECT_GT(complete - matched, 2000);
}

// Which characters of the test alphabet may follow, and whether the text is complete.
std::string Signature(TcxRegExpr& engine) {
    std::string signature;
    for (char c : std::string(kInputs) + "BC") {
        const bool accepted = engine.Advance(c);
        signature += accepted ? c : '-';
        if (accepted)
            engine.StepBack();
    }
    return signature + (engine.IsAccepting() ? "+" : "");
}

std::string MixCase(std::string text, Generator& gen) {
    for (char& c : text) {
        if (gen.Chance(50))
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(CrossCheck, CaseInsensitiveTextShownLeadsBackToTheSameStates) {
    Generator gen(20240612);
    int folded = 0;
    for (int round = 0; round < 600; ++round) {
        const auto tree = gen.Alternatives(3);
        const std::string mask = EngineWriter(gen).Alts(tree);
        SCOPED_TRACE("mask " + mask);
        TcxRegExpr engine;
        engine.SetCaseInsensitive(true);
        ASSERT_NO_THROW(engine.Compile(mask));
        const Node group{Node::Group, {}, false, tree, {}, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            const std::string input = MixCase(i % 2 ? gen.Input() : gen.Sample(group), gen);
            SCOPED_TRACE("input '" + input + "'");
            engine.Restart();
            const std::string shown = engine.FilterText(input);
            const std::string typed = Signature(engine);
            engine.Restart();
            EXPECT_EQ(engine.FilterText(shown), shown);
            EXPECT_EQ(Signature(engine), typed);
            folded += shown != input.substr(0, shown.size()) ? 1 : 0;
        }
    }
    // Literals must often have handed back their own case.
    EXPECT_GT(folded, 300);
}

} // namespace
