#include "cxMaskEditRegExprMode.h"

#include "cxRegExprItems.h"

#include <algorithm>

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The code page is UTF-8: a character is a whole UTF-8 sequence, or one byte
// that starts none. The mode never splits a character.
std::size_t CharLengthAt(std::string_view text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (i + length > text.size())
        return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if (!IsContinuation(text[i + k]))
            return 1;
    }
    return length;
}

std::size_t LastCharLength(std::string_view text) {
    for (std::size_t length = std::min<std::size_t>(4, text.size()); length > 1; --length) {
        if (CharLengthAt(text, text.size() - length) == length)
            return length;
    }
    return 1;
}

} // namespace

TcxMaskEditRegExprMode::TcxMaskEditRegExprMode(TcxMaskEditHost& edit,
                                               const TcxMaskEditProperties& properties)
    : TcxMaskEditCustomMode(edit, properties) {
    matcher_.SetCaseInsensitive(properties.caseInsensitive);
}

void TcxMaskEditRegExprMode::ApplyMask(const std::string& mask) {
    matcher_ = TcxRegExpr();
    matcher_.SetCaseInsensitive(Properties().caseInsensitive);
    leftPart_.clear();
    rightPart_.clear();
    liftedSelection_.clear();
    if (std::all_of(mask.begin(), mask.end(), IsRegExprSpace))
        return;
    try {
        matcher_.Compile(mask);
    } catch (const EcxRegExprError& error) {
        throw EcxMaskEditError(error.Errors());
    }
}

bool TcxMaskEditRegExprMode::AdvanceWhole(std::string& c) {
    std::size_t accepted = 0;
    while (accepted < c.size() && matcher_.Advance(c[accepted]))
        ++accepted;
    if (accepted == c.size())
        return true;
    StepBack(accepted);
    return false;
}

std::string TcxMaskEditRegExprMode::FilterText(std::string_view text) {
    if (!matcher_.IsReady())
        return {};
    matcher_.Restart();
    matcherElsewhere_ = true;
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
        std::string c(text.substr(i, CharLengthAt(text, i)));
        i += c.size();
        if (AdvanceWhole(c))
            kept += c;
    }
    return kept;
}

bool TcxMaskEditRegExprMode::IsCompleteText(std::string_view text) const {
    if (text.empty())
        return true;
    const auto source = matcher_.CompiledSource();
    if (!source)
        return false;
    TcxRegExpr fresh;
    fresh.SetCaseInsensitive(Properties().caseInsensitive);
    fresh.Compile(*source);
    for (char c : text) {
        if (!fresh.Advance(c))
            return false;
    }
    return Properties().ignoreMaskBlank || fresh.IsAccepting();
}

// The parts are rebuilt from the edit whenever they may no longer describe
// it: after a click, a text set meanwhile, or a filter run on the matcher.
void TcxMaskEditRegExprMode::Rebuild() {
    const std::string text = Edit().Text();
    const std::size_t caret = std::min(Edit().CaretPos(), text.size());
    if (!caretMovedByMouse_ && !matcherElsewhere_ && leftPart_.size() == caret &&
        leftPart_ + rightPart_ == text)
        return;
    caretMovedByMouse_ = false;
    Restart();
    rightPart_ = text;
    MoveToLeft(caret);
}

void TcxMaskEditRegExprMode::Restart() {
    matcher_.Restart();
    matcherElsewhere_ = false;
    leftPart_.clear();
}

// A refusal is ignored here: the text was admitted when it was entered.
void TcxMaskEditRegExprMode::MoveToLeft(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char c = rightPart_[i];
        matcher_.Advance(c);
    }
    leftPart_.append(rightPart_, 0, count);
    rightPart_.erase(0, count);
}

void TcxMaskEditRegExprMode::MoveToRight(std::size_t count) {
    StepBack(count);
    rightPart_.insert(0, leftPart_, leftPart_.size() - count, count);
    leftPart_.resize(leftPart_.size() - count);
}

void TcxMaskEditRegExprMode::StepBack(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        matcher_.StepBack();
}

// Whether rest may still follow the left part; the matcher stays where it was.
bool TcxMaskEditRegExprMode::Fits(std::string_view rest) {
    std::size_t accepted = 0;
    for (char c : rest) {
        if (!matcher_.Advance(c))
            break;
        ++accepted;
    }
    StepBack(accepted);
    return accepted == rest.size();
}

// Removes the right part from the edit, which has it starting at position at.
void TcxMaskEditRegExprMode::CutRightPart(std::size_t at) {
    Edit().SetSelection(at, rightPart_.size());
    Edit().SendDelete();
    rightPart_.clear();
}

void TcxMaskEditRegExprMode::LiftSelection() {
    liftedSelection_.clear();
    const std::size_t start = Edit().SelStart();
    const std::size_t length = Edit().SelLength();
    if (length == 0)
        return;
    if (leftPart_.size() == start && rightPart_.size() >= length) {
        liftedSelection_ = rightPart_.substr(0, length);
        rightPart_.erase(0, length);
        liftedFromRight_ = true;
    } else if (leftPart_.size() == start + length) {
        StepBack(length);
        liftedSelection_ = leftPart_.substr(start);
        leftPart_.resize(start);
        liftedFromRight_ = false;
    }
}

void TcxMaskEditRegExprMode::PutBackSelection() {
    rightPart_.insert(0, liftedSelection_);
    if (!liftedFromRight_)
        MoveToLeft(liftedSelection_.size());
    liftedSelection_.clear();
}

bool TcxMaskEditRegExprMode::HandleChar(std::string& c) {
    Rebuild();
    LiftSelection();
    if (!AdvanceWhole(c)) {
        PutBackSelection();
        return false;
    }
    const std::size_t caret = leftPart_.size();
    leftPart_ += c;
    const bool replacing = !liftedSelection_.empty();
    liftedSelection_.clear();
    if (Fits(rightPart_))
        return true;
    if (!replacing) {
        // What followed the caret cannot follow the new character: it goes.
        CutRightPart(caret);
        return true;
    }
    Edit().SendDelete();
    Edit().SendChar(c);
    CutRightPart(leftPart_.size());
    return false;
}

// With a selection, Backspace and Delete remove it; if what follows no
// longer fits, the field removes the selection and what follows itself.
bool TcxMaskEditRegExprMode::DeleteSelection(void (TcxMaskEditHost::*send)()) {
    LiftSelection();
    liftedSelection_.clear();
    if (Fits(rightPart_))
        return true;
    (Edit().*send)();
    CutRightPart(leftPart_.size());
    return false;
}

bool TcxMaskEditRegExprMode::HandleBackspace() {
    Rebuild();
    if (Edit().SelLength() > 0)
        return DeleteSelection(&TcxMaskEditHost::SendBackspace);
    if (CaretAtStart())
        return true;
    const std::size_t length = LastCharLength(leftPart_);
    StepBack(length);
    leftPart_.resize(leftPart_.size() - length);
    if (!Fits(rightPart_))
        CutRightPart(leftPart_.size() + length);
    return true;
}

bool TcxMaskEditRegExprMode::HandleDelete() {
    Rebuild();
    if (Edit().SelLength() > 0)
        return DeleteSelection(&TcxMaskEditHost::SendDelete);
    if (CaretAtEnd())
        return true;
    const std::size_t length = CharLengthAt(rightPart_, 0);
    if (Fits(std::string_view(rightPart_).substr(length))) {
        rightPart_.erase(0, length);
        return true;
    }
    // Nothing right of the caret may stay: the field cuts all but the last
    // character, and the key deletes that one.
    const std::size_t last = LastCharLength(rightPart_);
    if (rightPart_.size() > last) {
        Edit().SetSelection(leftPart_.size(), rightPart_.size() - last);
        Edit().SendDelete();
    }
    rightPart_.clear();
    return true;
}

void TcxMaskEditRegExprMode::ConsumeToEnd() {
    MoveToLeft(rightPart_.size());
}

bool TcxMaskEditRegExprMode::HandleEnd() {
    Rebuild();
    ConsumeToEnd();
    return true;
}

bool TcxMaskEditRegExprMode::HandleHome() {
    Rebuild();
    rightPart_.insert(0, leftPart_);
    Restart();
    return true;
}

bool TcxMaskEditRegExprMode::HandleLeft(bool selecting) {
    Rebuild();
    const std::size_t length = Edit().SelLength();
    if (length > 0 && !selecting) {
        // The selection collapses to its start.
        if (leftPart_.size() == Edit().SelStart() + length)
            MoveToRight(length);
        return true;
    }
    if (!leftPart_.empty())
        MoveToRight(LastCharLength(leftPart_));
    return true;
}

bool TcxMaskEditRegExprMode::HandleRight(bool selecting) {
    Rebuild();
    const std::size_t length = Edit().SelLength();
    if (length > 0 && !selecting) {
        // The selection collapses to its end.
        if (leftPart_.size() == Edit().SelStart())
            MoveToLeft(length);
        return true;
    }
    if (!rightPart_.empty())
        MoveToLeft(CharLengthAt(rightPart_, 0));
    return true;
}

void TcxMaskEditRegExprMode::AdoptText(const std::string& text) {
    liftedSelection_.clear();
    Restart();
    rightPart_ = text;
    // The field has put the caret after the pasted characters.
    if (pendingInsertLength_ > 0)
        MoveToLeft(std::min(Edit().CaretPos(), text.size()));
    pendingInsertLength_ = 0;
}

void TcxMaskEditRegExprMode::ReloadFromValue() {
    const std::string text = FilterText(Edit().Text());
    Edit().SetText(text);
    Edit().SetSelection(text.size(), 0);
    liftedSelection_.clear();
    caretMovedByMouse_ = false;
    Restart();
    rightPart_ = text;
    ConsumeToEnd();
}

void TcxMaskEditRegExprMode::AfterPropertiesChanged() {
    matcher_.SetCaseInsensitive(Properties().caseInsensitive);
    matcherElsewhere_ = true;
}
