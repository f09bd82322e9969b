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
    step_.c = c;
    step_.caseInsensitive = caseInsensitive;
    ++step_.epoch;
    step_.reached = &sets_;
    // The new set is appended behind the current one; sets_ may grow while
    // it is read, so it is walked by index.
    const std::size_t begin = CurrentBegin();
    const std::size_t end = sets_.size();
    for (std::size_t i = begin; i < end; ++i) {
        sets_[i]->Step(step_);
        while (!step_.pending.empty()) {
            TcxRegExprState* state = step_.pending.back();
            step_.pending.pop_back();
            state->Enter(step_);
        }
    }
    if (sets_.size() == end)
        return false;
    setBegins_.push_back(end);
    c = step_.c;
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
