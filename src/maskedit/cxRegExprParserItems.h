// The parse tree of a mask: alternatives of items, each item with its
// quantifier. The tree owns every state of the automaton; linking it fills in
// the states' successor lists.
#pragma once

#include "cxRegExprStates.h"

#include <cstddef>
#include <memory>
#include <vector>

class TcxRegExprQuantifier {
public:
    virtual ~TcxRegExprQuantifier() = default;
    virtual bool MayBeMissing() const = 0;
    virtual bool MayRepeat() const = 0;
    virtual std::unique_ptr<TcxRegExprQuantifier> Clone() const = 0;
};

// Exactly once.
class TcxRegExprSimpleQuantifier final : public TcxRegExprQuantifier {
public:
    bool MayBeMissing() const override { return false; }
    bool MayRepeat() const override { return false; }
    std::unique_ptr<TcxRegExprQuantifier> Clone() const override;
};

class TcxRegExprQuestionQuantifier final : public TcxRegExprQuantifier {
public:
    bool MayBeMissing() const override { return true; }
    bool MayRepeat() const override { return false; }
    std::unique_ptr<TcxRegExprQuantifier> Clone() const override;
};

class TcxRegExprStarQuantifier final : public TcxRegExprQuantifier {
public:
    bool MayBeMissing() const override { return true; }
    bool MayRepeat() const override { return true; }
    std::unique_ptr<TcxRegExprQuantifier> Clone() const override;
};

class TcxRegExprPlusQuantifier final : public TcxRegExprQuantifier {
public:
    bool MayBeMissing() const override { return false; }
    bool MayRepeat() const override { return true; }
    std::unique_ptr<TcxRegExprQuantifier> Clone() const override;
};

// Adds successor links while the tree is linked, up to a budget; once it is
// spent no more links are made and the compilation fails.
class TcxRegExprLinks {
public:
    explicit TcxRegExprLinks(std::size_t budget) : left_(budget) {}

    void Add(TcxRegExprState& from, TcxRegExprState* to);
    bool Exhausted() const { return exhausted_; }

private:
    std::size_t left_;
    bool exhausted_ = false;
};

class TcxRegExprParserItem {
public:
    virtual ~TcxRegExprParserItem() = default;

    bool CanBeMissing() const { return quantifier_->MayBeMissing(); }
    bool CanRepeat() const { return quantifier_->MayRepeat(); }
    bool HasSimpleQuantifier() const { return !CanBeMissing() && !CanRepeat(); }
    void SetQuantifier(std::unique_ptr<TcxRegExprQuantifier> quantifier);

    // Size and block nesting of the subtree, which bound the compilation.
    std::size_t StateCount() const { return states_; }
    std::size_t Depth() const { return depth_; }

    // True when the item can match the empty text.
    virtual bool CanBeEmpty() const = 0;
    // A deep copy with fresh, unlinked states.
    virtual std::unique_ptr<TcxRegExprParserItem> Clone() const = 0;
    // Marks the states at which the item may end as final.
    virtual void MarkFinal() = 0;
    virtual TcxRegExprState* Entry() = 0;
    virtual TcxRegExprState* Exit() = 0;
    // Links the item's own insides; the alternative links it to its neighbours.
    virtual void Link(TcxRegExprLinks& links) = 0;

protected:
    // Without a quantifier the item gets the simple one.
    TcxRegExprParserItem(std::unique_ptr<TcxRegExprQuantifier> quantifier, std::size_t states,
                         std::size_t depth);
    std::unique_ptr<TcxRegExprQuantifier> CloneQuantifier() const { return quantifier_->Clone(); }

    std::size_t states_;
    std::size_t depth_;

private:
    std::unique_ptr<TcxRegExprQuantifier> quantifier_;
};

// One alternative: a sequence of items.
class TcxRegExprParserAlt {
public:
    TcxRegExprParserAlt Clone() const;

    void Add(std::unique_ptr<TcxRegExprParserItem> item);
    bool Empty() const { return items_.empty(); }
    TcxRegExprParserItem* Last() const { return items_.back().get(); }
    std::unique_ptr<TcxRegExprParserItem> TakeLast();

    bool AllCanBeMissing() const;
    bool AllCanBeEmpty() const;
    std::size_t StateCount() const;
    std::size_t Depth() const;

    // Links from to the entries of the items from the first one up to and
    // including the first that cannot be missing.
    void LinkEntries(TcxRegExprState& from, TcxRegExprLinks& links) const;
    // Links the items in sequence and the last ones to finish; a top-level
    // alternative has no finish.
    void Link(TcxRegExprState* finish, TcxRegExprLinks& links);
    void MarkFinal();

private:
    void LinkEntries(TcxRegExprState& from, std::size_t first, TcxRegExprLinks& links) const;

    std::vector<std::unique_ptr<TcxRegExprParserItem>> items_;
};

using TcxRegExprParserAlts = std::vector<TcxRegExprParserAlt>;

class TcxRegExprParserSimpleItem final : public TcxRegExprParserItem {
public:
    explicit TcxRegExprParserSimpleItem(std::unique_ptr<TcxRegExprItem> item,
                                        std::unique_ptr<TcxRegExprQuantifier> quantifier = nullptr);

    bool CanBeEmpty() const override { return CanBeMissing(); }
    std::unique_ptr<TcxRegExprParserItem> Clone() const override;
    void MarkFinal() override { state_.SetFinal(true); }
    TcxRegExprState* Entry() override { return &state_; }
    TcxRegExprState* Exit() override { return &state_; }
    void Link(TcxRegExprLinks& links) override;

private:
    TcxRegExprSimpleState state_;
};

// A parenthesised group, or a wrapper that carries a second quantifier.
class TcxRegExprParserBlockItem final : public TcxRegExprParserItem {
public:
    explicit TcxRegExprParserBlockItem(std::unique_ptr<TcxRegExprQuantifier> quantifier = nullptr);

    void AddAlternative(TcxRegExprParserAlt alternative);

    bool CanBeEmpty() const override;
    std::unique_ptr<TcxRegExprParserItem> Clone() const override;
    void MarkFinal() override;
    TcxRegExprState* Entry() override { return &start_; }
    TcxRegExprState* Exit() override { return &finish_; }
    void Link(TcxRegExprLinks& links) override;

private:
    TcxRegExprBlockState start_;
    TcxRegExprBlockState finish_;
    TcxRegExprParserAlts alternatives_;
};
