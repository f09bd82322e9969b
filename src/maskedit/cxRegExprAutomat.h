// The compiled automaton: the linked parse tree, its start state and the
// sets of states reached, one per character accepted since the last restart.
#pragma once

#include "cxRegExprParserItems.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TcxRegExprAutomat {
public:
    // Links the alternatives into a graph of states; null when that would
    // take more than maxLinks successor links.
    static std::unique_ptr<TcxRegExprAutomat> Build(TcxRegExprParserAlts alternatives,
                                                    std::size_t maxLinks);

    void Restart();
    bool Advance(char& c, bool caseInsensitive);
    bool StepBack();
    bool IsAccepting() const;
    bool IsAtStart() const { return sets_[CurrentBegin()] == &start_; }

private:
    explicit TcxRegExprAutomat(TcxRegExprParserAlts alternatives);

    std::size_t CurrentBegin() const { return setBegins_.back(); }

    TcxRegExprParserAlts alternatives_;
    TcxRegExprSimpleState start_;
    // The current set and the history below it, stored end to end: set k
    // runs from setBegins_[k] to the next begin, the current one to the end.
    TcxRegExprSimpleStates sets_;
    std::vector<std::size_t> setBegins_;
    TcxRegExprStep step_;
};
