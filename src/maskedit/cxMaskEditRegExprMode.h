// The regular-expression mask mode. The text left of the caret has been fed
// to the matcher, so a typed character is accepted exactly when the mask lets
// it follow; the text right of the caret is tested whenever it must still fit.
#pragma once

#include "cxMaskEditMode.h"
#include "cxRegExpr.h"

#include <cstddef>
#include <string>
#include <string_view>

class TcxMaskEditRegExprMode : public TcxMaskEditCustomMode {
public:
    TcxMaskEditRegExprMode(TcxMaskEditHost& edit, const TcxMaskEditProperties& properties);

    TcxEditMaskKind ModeKind() const override { return emkRegExpr; }
    void ApplyMask(const std::string& mask) override;
    bool IsMaskReady() const override { return matcher_.IsReady(); }
    std::string BlankText() const override { return {}; }
    std::string FilterText(std::string_view text) override;
    void ConsumeToEnd() override;
    bool IsCompleteText(std::string_view text) const override;
    void NoteMouseCaret() override { caretMovedByMouse_ = true; }
    bool HandleBackspace() override;
    bool HandleDelete() override;
    bool HandleEnd() override;
    bool HandleHome() override;
    bool HandleLeft(bool selecting) override;
    bool HandleRight(bool selecting) override;
    bool HandleChar(std::string& c) override;
    void AdoptText(const std::string& text) override;
    void ReloadFromValue() override;
    void AfterPropertiesChanged() override;
    std::string ShownText(std::string_view text) const override { return std::string(text); }
    void LiftSelection() override;
    void PutBackSelection() override;

    const std::string& LeftPart() const { return leftPart_; }
    const std::string& RightPart() const { return rightPart_; }
    const std::string& LiftedSelection() const { return liftedSelection_; }
    bool LiftedFromRight() const { return liftedFromRight_; }
    bool CaretMovedByMouse() const { return caretMovedByMouse_; }
    // Set by the field before it adopts a pasted text with the caret after
    // the pasted characters, so that the parts are split at the caret.
    std::size_t PendingInsertLength() const { return pendingInsertLength_; }
    void SetPendingInsertLength(std::size_t length) { pendingInsertLength_ = length; }

private:
    void Rebuild();
    void Restart();
    void MoveToLeft(std::size_t count);
    void MoveToRight(std::size_t count);
    void StepBack(std::size_t count);
    // Feeds every byte of one character, or none of them.
    bool AdvanceWhole(std::string& c);
    bool Fits(std::string_view rest);
    void CutRightPart(std::size_t at);
    bool DeleteSelection(void (TcxMaskEditHost::*send)());

    TcxRegExpr matcher_;
    std::string leftPart_;
    std::string rightPart_;
    std::string liftedSelection_;
    bool liftedFromRight_ = false;
    bool caretMovedByMouse_ = false;
    // FilterText moved the matcher away from the end of the left part.
    bool matcherElsewhere_ = false;
    std::size_t pendingInsertLength_ = 0;
};
