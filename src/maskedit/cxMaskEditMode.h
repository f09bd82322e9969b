// The mask mode: decides, key by key, what a masked field lets reach its
// text. It sees the field's edit through a small interface, with the text as
// 8-bit characters in the system code page, so it needs no widgets.
#pragma once

#include "cxRegExprError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum TcxEditMaskKind : std::uint8_t { emkStandard = 0, emkRegExpr = 1, emkRegExprEx = 2 };

// Raised for a mask that does not compile, with every error of the engine.
class EcxMaskEditError : public EcxEditError {
public:
    explicit EcxMaskEditError(const TcxRegExprErrors& errors);
};

// Raised when a field is left with a text that fails validation.
class EcxEditValidationError : public EcxEditError {
public:
    using EcxEditError::EcxEditError;
};

// The edit under a masked field. Positions and lengths count 8-bit
// characters. The Send operations reach the edit while bypassing the field's
// own key handling, as if the edit had the key to itself.
class TcxMaskEditHost {
public:
    virtual std::string Text() const = 0;
    // The caret stands at one end of the selection when there is one.
    virtual std::size_t CaretPos() const = 0;
    virtual std::size_t SelStart() const = 0;
    virtual std::size_t SelLength() const = 0;
    // Sets the text as the program does; the caret goes to the end.
    virtual void SetText(const std::string& text) = 0;
    // Selects length characters from start with the caret at their end.
    virtual void SetSelection(std::size_t start, std::size_t length) = 0;
    // The Delete key: removes the selection or the character after the caret.
    virtual void SendDelete() = 0;
    // The Backspace character: removes the selection or the character before the caret.
    virtual void SendBackspace() = 0;
    // A typed character (one code-page character, so up to four bytes).
    virtual void SendChar(std::string_view c) = 0;

protected:
    ~TcxMaskEditHost() = default;
};

// The field's settings that a mode reads.
struct TcxMaskEditProperties {
    bool caseInsensitive = true;
    bool ignoreMaskBlank = false;
};

// The interface of a mask mode. The Handle operations run when a key
// arrives, before the edit sees it: true lets the edit carry the key out,
// false consumes it. Between keys the mode may fall out of step with the
// edit (a click, a text set by the program); it catches up at the next key.
class TcxMaskEditCustomMode {
public:
    TcxMaskEditCustomMode(TcxMaskEditHost& edit, const TcxMaskEditProperties& properties)
        : edit_(edit), properties_(properties) {}
    TcxMaskEditCustomMode(const TcxMaskEditCustomMode&) = delete;
    TcxMaskEditCustomMode& operator=(const TcxMaskEditCustomMode&) = delete;
    virtual ~TcxMaskEditCustomMode() = default;

    virtual TcxEditMaskKind ModeKind() const = 0;
    virtual void AfterClipboardInsert() {}
    // Stores the mask and compiles it; throws EcxMaskEditError when it does
    // not compile. A blank mask is not compiled: the field is then not masked.
    virtual void ApplyMask(const std::string& mask) = 0;
    virtual bool IsMaskReady() const = 0;
    // The text of a field whose value is empty.
    virtual std::string BlankText() const = 0;
    // The characters of text that the mask lets stand, in order, from its start.
    virtual std::string FilterText(std::string_view text) = 0;
    virtual void ConsumeToEnd() = 0;
    bool CaretAtStart() const { return edit_.SelStart() == 0; }
    bool CaretAtEnd() const { return edit_.SelStart() == edit_.Text().size(); }
    // Whether text matches the whole mask; the empty text always does.
    virtual bool IsCompleteText(std::string_view text) const = 0;
    // The caret or selection moved by other means than the mode's keys.
    virtual void NoteMouseCaret() = 0;
    virtual void BeforeClipboardInsert() {}
    virtual bool HandleBackspace() = 0;
    virtual bool HandleDelete() = 0;
    virtual bool HandleEnd() = 0;
    virtual bool HandleHome() = 0;
    // selecting: Shift is held, so a selection grows or shrinks instead of collapsing.
    virtual bool HandleLeft(bool selecting) = 0;
    virtual bool HandleRight(bool selecting) = 0;
    // c is one typed character; the mode may hand back another in its place.
    virtual bool HandleChar(std::string& c) = 0;
    // Takes a text the field was given other than by a key.
    virtual void AdoptText(const std::string& text) = 0;
    // Filters the edit's text through a newly applied mask, caret at the end.
    virtual void ReloadFromValue() = 0;
    virtual void AfterPropertiesChanged() {}
    virtual std::string ShownText(std::string_view text) const = 0;
    virtual void LiftSelection() = 0;
    virtual void PutBackSelection() = 0;

protected:
    TcxMaskEditHost& Edit() const { return edit_; }
    const TcxMaskEditProperties& Properties() const { return properties_; }

private:
    TcxMaskEditHost& edit_;
    const TcxMaskEditProperties& properties_;
};
