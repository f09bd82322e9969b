#include "cxRegExprAutomat.h"

#include <algorithm>

TcxRegExprAutomat::TcxRegExprAutomat(TcxRegExprParserAlts alternatives)
    : alternatives_(std::move(alternatives)) {}

std::unique_ptr<TcxRegExprAutomat> TcxRegExprAutomat::Build(TcxRegExprParserAlts alternatives,
                                                            std::size_t maxLinks) {
    std::unique_ptr<TcxRegExprAutomat> automat(new TcxRegExprAutomat(std::move(alternatives)));
    TcxRegExprLinks links(maxLinks);
    bool emptyMatches = false;
    for (auto& alt : automat->alternatives_) {
        alt.Link(nullptr, links);
        alt.LinkEntries(automat->start_, links);
        alt.MarkFinal();
        // Can be empty, not only missing: (a?) and a{0,2} match the empty text.
        emptyMatches = emptyMatches || alt.AllCanBeEmpty();
    }
    if (links.Exhausted())
        return nullptr;
    automat->start_.SetFinal(emptyMatches);
    automat->Restart();
    return automat;
}

void TcxRegExprAutomat::Restart() {
    sets_.assign(1, &start_);
    setBegins_.assign(1, 0);
}

bool TcxRegExprAutomat::Advance(char& c, bool caseInsensitive) {
    ++step_.epoch;
    step_.reachable.clear();
    for (std::size_t i = CurrentBegin(); i < sets_.size(); ++i) {
        sets_[i]->Step(step_);
        while (!step_.pending.empty()) {
            TcxRegExprState* state = step_.pending.back();
            step_.pending.pop_back();
            state->Enter(step_);
        }
    }
    // The character first takes the case of the last matching literal in
    // order, and every state then tests that one: what is reached does not
    // depend on the case typed, and feeding back the text shown reaches it again.
    char folded = c;
    if (caseInsensitive) {
        for (const TcxRegExprSimpleState* state : step_.reachable) {
            if (const auto literal = state->Item()->FoldedLiteral(c))
                folded = *literal;
        }
    }
    const std::size_t end = sets_.size();
    for (TcxRegExprSimpleState* state : step_.reachable) {
        if (state->Item()->Test(folded, caseInsensitive))
            sets_.push_back(state);
    }
    if (sets_.size() == end)
        return false;
    setBegins_.push_back(end);
    c = folded;
    return true;
}

bool TcxRegExprAutomat::StepBack() {
    if (setBegins_.size() < 2)
        return false;
    sets_.resize(CurrentBegin());
    setBegins_.pop_back();
    return true;
}

bool TcxRegExprAutomat::IsAccepting() const {
    return std::any_of(sets_.begin() + static_cast<std::ptrdiff_t>(CurrentBegin()), sets_.end(),
                       [](const TcxRegExprSimpleState* state) { return state->IsFinal(); });
}
