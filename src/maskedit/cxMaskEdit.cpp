#include "cxMaskEdit.h"

#include "cxMaskEditRegExprMode.h"
#include "errorreport.h"
#include "memotext.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>

namespace {

// QLineEdit's own limit, which stands for no limit.
constexpr int kNoMaxLength = 32767;

std::size_t ByteLength(QStringView text) {
    return EncodeBytes(text).size();
}

// The position in text of a position counted in bytes.
int IndexAt(const QString& text, std::size_t bytes) {
    const QString prefix = DecodeBytes(std::string_view(EncodeBytes(text)).substr(0, bytes));
    return static_cast<int>(std::min(prefix.size(), text.size()));
}

// A focus change within the window, not to another window or a popup menu.
bool MovesWithinWindow(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

TcxMaskEdit::TcxMaskEdit(QWidget* parent) : QLineEdit(parent) {
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this] { Guard([this] { UpdateFocused(); }); });
    connect(this, &QLineEdit::textEdited, this, [this] { modified_ = true; });
    // Connected first, so that it filters before anyone else hears of a change.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (ownEdits_ == 0)
            Guard([this] { TextChangedElsewhere(); });
    });
}

TcxMaskEdit::~TcxMaskEdit() {
    destroying_ = true;
}

bool TcxMaskEdit::Masking() const {
    return mode_ && mode_->IsMaskReady();
}

const TcxMaskEditRegExprMode* TcxMaskEdit::Mode() const {
    return Masking() ? mode_.get() : nullptr;
}

void TcxMaskEdit::setMaskKind(TcxEditMaskKind kind) {
    if (kind == maskKind_)
        return;
    maskKind_ = kind;
    RecreateMode();
}

// Only the regular-expression kind is built; a field of another kind is a plain edit.
void TcxMaskEdit::RecreateMode() {
    mode_.reset();
    if (maskKind_ == emkRegExpr)
        mode_ = std::make_unique<TcxMaskEditRegExprMode>(static_cast<TcxMaskEditHost&>(*this),
                                                         properties_);
    ApplyEditMask();
}

void TcxMaskEdit::setEditMask(const QString& mask) {
    if (mask == editMask_)
        return;
    editMask_ = mask;
    ApplyEditMask();
}

void TcxMaskEdit::WriteEditMask(const QString& mask) {
    Guard([&] { setEditMask(mask); });
}

void TcxMaskEdit::ApplyEditMask() {
    if (mode_)
        mode_->ApplyMask(EncodeBytes(editMask_));
    if (Masking()) {
        maxLength_ = 0;
        OwnEdit edit(*this);
        mode_->ReloadFromValue();
        value_ = text();
    }
    ApplyMaxLength();
}

void TcxMaskEdit::setMaxLength(int length) {
    maxLength_ = Masking() ? 0 : std::max(0, length);
    ApplyMaxLength();
}

void TcxMaskEdit::ApplyMaxLength() {
    QLineEdit::setMaxLength(maxLength_ > 0 ? maxLength_ : kNoMaxLength);
}

void TcxMaskEdit::setCaseInsensitive(bool on) {
    properties_.caseInsensitive = on || charCase_ != ecNormal;
    if (mode_)
        mode_->AfterPropertiesChanged();
}

void TcxMaskEdit::setCharCase(TcxEditCharCase charCase) {
    charCase_ = charCase;
    setCaseInsensitive(properties_.caseInsensitive);
    if (InCharCase(text()) != text())
        setText(text());
}

QString TcxMaskEdit::InCharCase(const QString& text) const {
    switch (charCase_) {
    case ecUpperCase:
        return text.toUpper();
    case ecLowerCase:
        return text.toLower();
    default:
        return text;
    }
}

// The text in the field's case and through the mask.
QString TcxMaskEdit::Normalised(const QString& text) {
    const QString cased = InCharCase(text);
    return Masking() ? DecodeBytes(mode_->FilterText(EncodeBytes(cased))) : cased;
}

void TcxMaskEdit::setText(const QString& text) {
    QString shown = Normalised(text);
    if (Masking()) {
        const std::string kept = EncodeBytes(shown);
        shown = DecodeBytes(kept.empty() ? mode_->BlankText() : mode_->ShownText(kept));
    }
    {
        OwnEdit edit(*this);
        QLineEdit::setText(shown);
    }
    if (Masking())
        mode_->AdoptText(EncodeBytes(shown));
    value_ = shown;
    modified_ = false;
}

// A change that reached the edit past the field: through a QLineEdit
// pointer, accessibility, undo and redo, or an edit key the mode does not
// model. It is held to the field's case and mask at once, the caret after
// what was kept of the text before it.
void TcxMaskEdit::TextChangedElsewhere() {
    const QString current = text();
    const QString kept = Normalised(current);
    if (kept != current) {
        const QString before = Normalised(current.left(cursorPosition()));
        OwnEdit edit(*this);
        QLineEdit::setText(kept);
        setCursorPosition(static_cast<int>(std::min(before.size(), kept.size())));
    }
    if (Masking())
        mode_->AdoptText(EncodeBytes(kept));
}

// An undoable replacement of the whole text.
void TcxMaskEdit::ReplaceAll(const QString& text) {
    if (text == this->text())
        return;
    OwnEdit edit(*this);
    selectAll();
    insert(text);
}

std::string TcxMaskEdit::Text() const {
    return EncodeBytes(text());
}

std::size_t TcxMaskEdit::CaretPos() const {
    return ByteLength(QStringView(text()).left(cursorPosition()));
}

std::size_t TcxMaskEdit::SelStart() const {
    return hasSelectedText() ? ByteLength(QStringView(text()).left(selectionStart())) : CaretPos();
}

std::size_t TcxMaskEdit::SelLength() const {
    return ByteLength(selectedText());
}

void TcxMaskEdit::SetText(const std::string& text) {
    OwnEdit edit(*this);
    QLineEdit::setText(DecodeBytes(text));
}

void TcxMaskEdit::SetSelection(std::size_t start, std::size_t length) {
    const QString current = text();
    const int from = IndexAt(current, start);
    OwnEdit edit(*this);
    if (length == 0)
        setCursorPosition(from);
    else
        setSelection(from, IndexAt(current, start + length) - from);
}

void TcxMaskEdit::SendDelete() {
    OwnEdit edit(*this);
    del();
}

void TcxMaskEdit::SendBackspace() {
    OwnEdit edit(*this);
    backspace();
}

void TcxMaskEdit::SendChar(std::string_view c) {
    OwnEdit edit(*this);
    insert(DecodeBytes(c));
}

void TcxMaskEdit::focusInEvent(QFocusEvent* event) {
    const bool hadSelection = hasSelectedText();
    const int cursor = cursorPosition();
    Guard([&] {
        QLineEdit::focusInEvent(event);
        if (MovesWithinWindow(event->reason()) && !pullingFocus_)
            Enter(event->reason(), hadSelection, cursor);
    });
    Guard([&] { UpdateFocused(); });
}

void TcxMaskEdit::focusOutEvent(QFocusEvent* event) {
    Guard([&] {
        QLineEdit::focusOutEvent(event);
        if (MovesWithinWindow(event->reason()) && !destroying_)
            ValidateEdit();
    });
    Guard([&] { UpdateFocused(); });
}

void TcxMaskEdit::Enter(Qt::FocusReason reason, bool hadSelection, int cursor) {
    value_ = text();
    modified_ = false;
    OwnEdit edit(*this);
    if (!autoSelect_) {
        // The edit selects everything on Tab by itself; without AutoSelect it must not.
        if (!hadSelection)
            setCursorPosition(cursor);
        return;
    }
    if (reason == Qt::MouseFocusReason)
        return;
    if (Masking())
        mode_->ConsumeToEnd();
    selectAll();
}

void TcxMaskEdit::UpdateFocused() {
    if (destroying_)
        return;
    // A modal window of the program's own (a message box, the error report)
    // takes the focus only while it is up; counting that as leaving and
    // re-entering would let a handler that reports an error raise itself
    // again from inside its own report, box after box.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->window() != window())
        return;
    const bool now = hasFocus() && QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (now == focused_)
        return;
    focused_ = now;
    emit OnFocusChanged(this);
}

// Runs when the field is left and on Enter; only a text the user changed is checked.
void TcxMaskEdit::ValidateEdit() {
    if (!modified_)
        return;
    QString value = text();
    bool error = Masking() && !mode_->IsCompleteText(EncodeBytes(value));
    QString errorText = error ? QStringLiteral("The edit value is invalid") : QString();
    if (onValidate_)
        onValidate_(this, value, errorText, error);
    const bool canFocus = isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
    if (!error || !canFocus) {
        AcceptValue(value);
        return;
    }
    if (errorText.isEmpty())
        errorText = QStringLiteral("Invalid input value. Use escape key to abandon changes");
    if (!hasFocus()) {
        pullingFocus_ = true;
        setFocus();
        pullingFocus_ = false;
    }
    {
        OwnEdit edit(*this);
        selectAll();
    }
    if (beepOnError_)
        QApplication::beep();
    throw EcxEditValidationError(errorText.toStdString());
}

void TcxMaskEdit::AcceptValue(const QString& value) {
    if (value != text())
        setText(value);
    value_ = text();
    modified_ = false;
}

void TcxMaskEdit::ResetToValue() {
    ReplaceAll(Normalised(value_));
    if (Masking())
        mode_->AdoptText(EncodeBytes(text()));
    modified_ = false;
}
