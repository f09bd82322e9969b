// Compiles arbitrary mask bytes and drives the matcher with arbitrary input.
//
// Input layout: a flag byte (bit 0: case-insensitive), the mask, a 0 byte,
// then the text. In the text, 0x01 restarts the matcher, 0x7F steps back and
// every other byte is offered to Advance.
#include "cxRegExpr.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// A mask at the size bounds may take milliseconds per step; a longer text
// would only turn such runs into timeouts without reaching new code.
constexpr std::size_t kMaxText = 16;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ExpectNotCompiled(TcxRegExpr& engine) {
    try {
        engine.Restart();
    } catch (const EcxRegExprError&) {
        Check(false);
    } catch (const EcxEditError&) {
        return;
    }
    Check(false);
}

void Drive(TcxRegExpr& engine, std::string_view text) {
    Check(engine.IsAtStart());
    for (const char op : text) {
        if (op == '\x01') {
            engine.Restart();
            Check(engine.IsAtStart());
            Check(!engine.StepBack());
        } else if (op == '\x7F') {
            engine.StepBack();
        } else {
            char c = op;
            if (engine.Advance(c)) {
                // The step can be taken back and taken again.
                Check(engine.StepBack());
                char again = op;
                Check(engine.Advance(again));
                Check(again == c);
            }
        }
        engine.IsAccepting();
    }
}

// Without case folding the characters kept are exactly a path through the
// automaton, so feeding them again keeps all of them; an engine compiled
// from the same source agrees.
void CheckFilter(TcxRegExpr& engine, std::string_view text) {
    engine.Restart();
    const std::string kept = engine.FilterText(text);
    const bool accepting = engine.IsAccepting();
    if (engine.CaseInsensitive())
        return;
    engine.Restart();
    Check(engine.FilterText(kept) == kept);
    Check(engine.IsAccepting() == accepting);

    TcxRegExpr twin;
    twin.Compile(*engine.CompiledSource());
    Check(twin.FilterText(text) == kept);
    Check(twin.IsAccepting() == accepting);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view all(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t split = all.find('\0');
    const std::string_view mask = all.substr(0, split);
    const std::string_view text =
        split == std::string_view::npos ? std::string_view() : all.substr(split + 1, kMaxText);

    TcxRegExpr engine;
    engine.SetCaseInsensitive((data[0] & 1) != 0);
    try {
        engine.Compile(mask);
    } catch (const EcxRegExprError& error) {
        Check(!error.Errors().empty());
        for (const auto& e : error.Errors())
            Check(!e.message.empty() && !e.FullMessage().empty());
        Check(!engine.IsReady() && !engine.CompiledSource());
        ExpectNotCompiled(engine);
        return 0;
    }
    Check(engine.IsReady() && engine.Errors().empty());
    Drive(engine, text);
    CheckFilter(engine, text);
    return 0;
}
