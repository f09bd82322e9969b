// States of the matching automaton. Simple states consume one character;
// block states are junctions passed through without consuming anything.
#pragma once

#include "cxRegExprItems.h"

#include <cstdint>
#include <memory>
#include <vector>

class TcxRegExprState;
class TcxRegExprSimpleState;

// Ordered lists of states that own none of them.
using TcxRegExprStates = std::vector<TcxRegExprState*>;
using TcxRegExprSimpleStates = std::vector<TcxRegExprSimpleState*>;

// Scratch of one matching step, kept by the automaton so that a step
// allocates nothing once the vectors have grown.
struct TcxRegExprStep {
    std::uint64_t epoch = 0;          // states carrying this mark were entered in this step
    TcxRegExprStates pending;         // states still to enter, the next one last
    TcxRegExprSimpleStates reachable; // the simple states that may consume, in order

    void Queue(const TcxRegExprStates& states) {
        for (auto state = states.rbegin(); state != states.rend(); ++state)
            pending.push_back(*state);
    }
};

class TcxRegExprState {
public:
    TcxRegExprState() = default;
    // Successor lists point at states, so a state never moves.
    TcxRegExprState(const TcxRegExprState&) = delete;
    TcxRegExprState& operator=(const TcxRegExprState&) = delete;
    virtual ~TcxRegExprState() = default;

    const TcxRegExprStates& Next() const { return next_; }
    void AddNext(TcxRegExprState* state) { next_.push_back(state); }

    // Queues the successors; entering them finds the states that may consume.
    void Step(TcxRegExprStep& step) const { step.Queue(next_); }
    virtual void Enter(TcxRegExprStep& step) = 0;

protected:
    // Each state is entered at most once per step: a repeat may link block
    // states into a loop that consumes nothing, and a state reached twice
    // would only find the same states again.
    bool FirstVisit(const TcxRegExprStep& step) {
        if (mark_ == step.epoch)
            return false;
        mark_ = step.epoch;
        return true;
    }

private:
    TcxRegExprStates next_;
    std::uint64_t mark_ = 0;
};

class TcxRegExprSimpleState final : public TcxRegExprState {
public:
    // Without an item the state accepts nothing: that is the start state.
    explicit TcxRegExprSimpleState(std::unique_ptr<TcxRegExprItem> item = nullptr)
        : item_(std::move(item)) {}

    const TcxRegExprItem* Item() const { return item_.get(); }
    bool IsFinal() const { return final_; }
    void SetFinal(bool final) { final_ = final; }

    void Enter(TcxRegExprStep& step) override;

private:
    std::unique_ptr<TcxRegExprItem> item_;
    bool final_ = false;
};

class TcxRegExprBlockState final : public TcxRegExprState {
public:
    void Enter(TcxRegExprStep& step) override;
};
