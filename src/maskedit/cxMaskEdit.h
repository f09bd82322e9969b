// The single-line edit used for the hexadecimal parameter fields. With a
// regular-expression mask, every way text reaches the field goes through the
// mask: typing, deleting, the clipboard, the X11 selection, drag and drop,
// input methods, undo and redo, and text set by the program or through
// accessibility. Text the mask refuses never stands in the field.
#pragma once

#include "cxMaskEditMode.h"

#include <QLineEdit>

#include <functional>
#include <memory>
#include <string>

class QMenu;
class TcxMaskEditRegExprMode;

class TcxMaskEdit : public QLineEdit, private TcxMaskEditHost {
    Q_OBJECT
    Q_PROPERTY(TcxEditMaskKind MaskKind READ MaskKind WRITE setMaskKind)
    Q_PROPERTY(QString EditMask READ EditMask WRITE WriteEditMask)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE setMaxLength)
    Q_PROPERTY(bool CaseInsensitive READ CaseInsensitive WRITE setCaseInsensitive)
    Q_PROPERTY(bool IgnoreMaskBlank READ IgnoreMaskBlank WRITE setIgnoreMaskBlank)
    Q_PROPERTY(bool BeepOnError READ BeepOnError WRITE setBeepOnError)
    Q_PROPERTY(bool ValidateOnEnter READ ValidateOnEnter WRITE setValidateOnEnter)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE setAutoSelect)
    Q_PROPERTY(TcxEditCharCase CharCase READ CharCase WRITE setCharCase)
    // Setting the text property goes through the mask too.
    Q_PROPERTY(QString text READ text WRITE setText USER true)

public:
    using enum TcxEditMaskKind;
    enum TcxEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
    Q_ENUM(TcxEditCharCase)

    // Called when the field validates its text: it may change the text, and
    // set or clear the error and its message.
    using ValidateHandler =
        std::function<void(TcxMaskEdit* sender, QString& text, QString& errorText, bool& error)>;

    explicit TcxMaskEdit(QWidget* parent = nullptr);
    ~TcxMaskEdit() override;

    // True while the edit holds the keyboard focus and the application is active.
    bool IsFocused() const { return focused_; }

    TcxEditMaskKind MaskKind() const { return maskKind_; }
    void setMaskKind(TcxEditMaskKind kind);
    QString EditMask() const { return editMask_; }
    // Throws EcxMaskEditError for a mask that does not compile, which leaves
    // the field unmasked; a blank mask also switches masking off.
    void setEditMask(const QString& mask);
    // 0 is no limit; with a mask the mask alone limits the length.
    int MaxLength() const { return maxLength_; }
    void setMaxLength(int length);
    bool CaseInsensitive() const { return properties_.caseInsensitive; }
    void setCaseInsensitive(bool on);
    bool IgnoreMaskBlank() const { return properties_.ignoreMaskBlank; }
    void setIgnoreMaskBlank(bool on) { properties_.ignoreMaskBlank = on; }
    bool BeepOnError() const { return beepOnError_; }
    void setBeepOnError(bool on) { beepOnError_ = on; }
    bool ValidateOnEnter() const { return validateOnEnter_; }
    void setValidateOnEnter(bool on) { validateOnEnter_ = on; }
    bool AutoSelect() const { return autoSelect_; }
    void setAutoSelect(bool on) { autoSelect_ = on; }
    TcxEditCharCase CharCase() const { return charCase_; }
    // Upper or lower case forces CaseInsensitive on.
    void setCharCase(TcxEditCharCase charCase);
    void SetOnValidate(ValidateHandler handler) { onValidate_ = std::move(handler); }

    // The text as the program sets it: in the field's case, through the mask.
    void setText(const QString& text);
    // The mode while the field is masked, null otherwise.
    const TcxMaskEditRegExprMode* Mode() const;

signals:
    // Raised once each time the focused state flips: on entering, on leaving,
    // and when the application is deactivated or reactivated while focused.
    void OnFocusChanged(TcxMaskEdit* sender);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Text changes the field makes itself, which the mode already knows of.
    class OwnEdit {
    public:
        explicit OwnEdit(TcxMaskEdit& edit) : edit_(edit) { ++edit_.ownEdits_; }
        ~OwnEdit() { --edit_.ownEdits_; }
        OwnEdit(const OwnEdit&) = delete;
        OwnEdit& operator=(const OwnEdit&) = delete;

    private:
        TcxMaskEdit& edit_;
    };

    // The edit as the mode sees it, in bytes of the code page.
    std::string Text() const override;
    std::size_t CaretPos() const override;
    std::size_t SelStart() const override;
    std::size_t SelLength() const override;
    void SetText(const std::string& text) override;
    void SetSelection(std::size_t start, std::size_t length) override;
    void SendDelete() override;
    void SendBackspace() override;
    void SendChar(std::string_view c) override;

    bool Masking() const;
    void RecreateMode();
    void ApplyEditMask();
    void ApplyMaxLength();
    void WriteEditMask(const QString& mask);
    QString InCharCase(const QString& text) const;
    QString Normalised(const QString& text);
    void ReplaceAll(const QString& text);
    void TextChangedElsewhere();
    void UpdateFocused();
    void Enter(Qt::FocusReason reason, bool hadSelection, int cursor);
    void ValidateEdit();
    void AcceptValue(const QString& value);
    void ResetToValue();

    // Input routing (cxMaskEditInput.cpp).
    void HandleKey(QKeyEvent* event);
    bool MaskedKey(QKeyEvent* event);
    bool CaretKey(QKeyEvent* event);
    bool DeletionKey(QKeyEvent* event);
    void Forward(bool accepted, QKeyEvent* event);
    void Perform(bool accepted, void (QLineEdit::*edit)());
    void TypeText(const QString& typed);
    bool InsertText(const QString& inserted);
    void PasteFromClipboard();
    void CutSelection();
    void DeleteSelection();
    void RouteClipboardActions(QMenu& menu);

    TcxMaskEditProperties properties_;
    std::unique_ptr<TcxMaskEditRegExprMode> mode_;
    TcxEditMaskKind maskKind_ = emkStandard;
    QString editMask_;
    int maxLength_ = 0;
    bool beepOnError_ = false;
    bool validateOnEnter_ = true;
    bool autoSelect_ = true;
    TcxEditCharCase charCase_ = ecNormal;
    ValidateHandler onValidate_;

    // The text before the user's changes since entering, which Escape puts back.
    QString value_;
    // The user changed the text since entering or since it last passed validation.
    bool modified_ = false;
    int ownEdits_ = 0;
    bool pullingFocus_ = false;
    bool focused_ = false;
    bool destroying_ = false;
};
