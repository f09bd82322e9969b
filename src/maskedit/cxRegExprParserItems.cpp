#include "cxRegExprParserItems.h"

#include <algorithm>

std::unique_ptr<TcxRegExprQuantifier> TcxRegExprSimpleQuantifier::Clone() const {
    return std::make_unique<TcxRegExprSimpleQuantifier>();
}

std::unique_ptr<TcxRegExprQuantifier> TcxRegExprQuestionQuantifier::Clone() const {
    return std::make_unique<TcxRegExprQuestionQuantifier>();
}

std::unique_ptr<TcxRegExprQuantifier> TcxRegExprStarQuantifier::Clone() const {
    return std::make_unique<TcxRegExprStarQuantifier>();
}

std::unique_ptr<TcxRegExprQuantifier> TcxRegExprPlusQuantifier::Clone() const {
    return std::make_unique<TcxRegExprPlusQuantifier>();
}

void TcxRegExprLinks::Add(TcxRegExprState& from, TcxRegExprState* to) {
    if (left_ == 0) {
        exhausted_ = true;
        return;
    }
    --left_;
    from.AddNext(to);
}

TcxRegExprParserItem::TcxRegExprParserItem(std::unique_ptr<TcxRegExprQuantifier> quantifier,
                                           std::size_t states, std::size_t depth)
    : states_(states), depth_(depth),
      quantifier_(quantifier ? std::move(quantifier)
                             : std::make_unique<TcxRegExprSimpleQuantifier>()) {}

void TcxRegExprParserItem::SetQuantifier(std::unique_ptr<TcxRegExprQuantifier> quantifier) {
    quantifier_ = std::move(quantifier);
}

TcxRegExprParserAlt TcxRegExprParserAlt::Clone() const {
    TcxRegExprParserAlt copy;
    for (const auto& item : items_)
        copy.Add(item->Clone());
    return copy;
}

void TcxRegExprParserAlt::Add(std::unique_ptr<TcxRegExprParserItem> item) {
    items_.push_back(std::move(item));
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserAlt::TakeLast() {
    auto item = std::move(items_.back());
    items_.pop_back();
    return item;
}

bool TcxRegExprParserAlt::AllCanBeMissing() const {
    return std::all_of(items_.begin(), items_.end(),
                       [](const auto& item) { return item->CanBeMissing(); });
}

bool TcxRegExprParserAlt::AllCanBeEmpty() const {
    return std::all_of(items_.begin(), items_.end(),
                       [](const auto& item) { return item->CanBeEmpty(); });
}

std::size_t TcxRegExprParserAlt::StateCount() const {
    std::size_t count = 0;
    for (const auto& item : items_)
        count += item->StateCount();
    return count;
}

std::size_t TcxRegExprParserAlt::Depth() const {
    std::size_t depth = 0;
    for (const auto& item : items_)
        depth = std::max(depth, item->Depth());
    return depth;
}

void TcxRegExprParserAlt::LinkEntries(TcxRegExprState& from, TcxRegExprLinks& links) const {
    LinkEntries(from, 0, links);
}

void TcxRegExprParserAlt::LinkEntries(TcxRegExprState& from, std::size_t first,
                                      TcxRegExprLinks& links) const {
    for (std::size_t i = first; i < items_.size(); ++i) {
        links.Add(from, items_[i]->Entry());
        if (!items_[i]->CanBeMissing())
            break;
    }
}

void TcxRegExprParserAlt::Link(TcxRegExprState* finish, TcxRegExprLinks& links) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        LinkEntries(*items_[i]->Exit(), i + 1, links);
        items_[i]->Link(links);
    }
    if (finish == nullptr)
        return;
    for (std::size_t i = items_.size(); i-- > 0;) {
        links.Add(*items_[i]->Exit(), finish);
        if (!items_[i]->CanBeMissing())
            break;
    }
}

void TcxRegExprParserAlt::MarkFinal() {
    // An item may end the alternative when everything after it can match the
    // empty text; an item that can be empty without being missing (a group
    // such as (a?)) lets the walk go on, or x(a?) would not accept "x".
    for (std::size_t i = items_.size(); i-- > 0;) {
        items_[i]->MarkFinal();
        if (!items_[i]->CanBeEmpty())
            break;
    }
}

TcxRegExprParserSimpleItem::TcxRegExprParserSimpleItem(
    std::unique_ptr<TcxRegExprItem> item, std::unique_ptr<TcxRegExprQuantifier> quantifier)
    : TcxRegExprParserItem(std::move(quantifier), 1, 0), state_(std::move(item)) {}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserSimpleItem::Clone() const {
    return std::make_unique<TcxRegExprParserSimpleItem>(state_.Item()->Clone(), CloneQuantifier());
}

void TcxRegExprParserSimpleItem::Link(TcxRegExprLinks& links) {
    if (CanRepeat())
        links.Add(state_, &state_);
}

TcxRegExprParserBlockItem::TcxRegExprParserBlockItem(
    std::unique_ptr<TcxRegExprQuantifier> quantifier)
    : TcxRegExprParserItem(std::move(quantifier), 2, 1) {}

void TcxRegExprParserBlockItem::AddAlternative(TcxRegExprParserAlt alternative) {
    states_ += alternative.StateCount();
    depth_ = std::max(depth_, alternative.Depth() + 1);
    alternatives_.push_back(std::move(alternative));
}

bool TcxRegExprParserBlockItem::CanBeEmpty() const {
    return CanBeMissing() || std::any_of(alternatives_.begin(), alternatives_.end(),
                                         [](const auto& alt) { return alt.AllCanBeEmpty(); });
}

std::unique_ptr<TcxRegExprParserItem> TcxRegExprParserBlockItem::Clone() const {
    auto copy = std::make_unique<TcxRegExprParserBlockItem>(CloneQuantifier());
    for (const auto& alt : alternatives_)
        copy->AddAlternative(alt.Clone());
    return copy;
}

void TcxRegExprParserBlockItem::MarkFinal() {
    for (auto& alt : alternatives_)
        alt.MarkFinal();
}

void TcxRegExprParserBlockItem::Link(TcxRegExprLinks& links) {
    if (CanRepeat())
        links.Add(finish_, &start_);
    for (const auto& alt : alternatives_)
        alt.LinkEntries(start_, links);
    if (std::any_of(alternatives_.begin(), alternatives_.end(),
                    [](const auto& alt) { return alt.AllCanBeMissing(); }))
        links.Add(start_, &finish_);
    for (auto& alt : alternatives_)
        alt.Link(&finish_, links);
}
