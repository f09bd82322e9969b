#include "FakeDialogs.h"
#include "cxMaskEdit.h"
#include "cxMaskEditRegExprMode.h"
#include "errorreport.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <random>

namespace {

const QString kHexMask = QStringLiteral("([\\d]|[a-f]|[A-F]){1,8}");

// The independent model of the hex field: hex digits in order, at most eight.
QString HexFilter(const QString& text) {
    QString kept;
    for (QChar c : text) {
        if (kept.size() < 8 && QStringLiteral("0123456789abcdefABCDEF").contains(c))
            kept += c;
    }
    return kept;
}

bool IsHexText(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{0,8}$"));
    return hex.match(text).hasMatch();
}

// A window with a hex field and a button to move the focus to.
struct Window {
    QWidget widget;
    TcxMaskEdit* field = new TcxMaskEdit(&widget);
    QPushButton* other = new QPushButton(QStringLiteral("other"), &widget);
    FakeDialogs dialogs;

    explicit Window(const QString& mask = kHexMask) {
        auto* layout = new QVBoxLayout(&widget);
        layout->addWidget(field);
        layout->addWidget(other);
        field->setMaskKind(TcxMaskEdit::emkRegExpr);
        field->setEditMask(mask);
        InstallErrorReport(&dialogs, QStringLiteral("Quenfold"));
    }
    ~Window() { InstallErrorReport(nullptr, QString()); }
    bool ShowActive() {
        widget.show();
        QApplication::setActiveWindow(&widget);
        return QTest::qWaitForWindowActive(&widget);
    }
    QPoint AtPosition(int position) const {
        for (int x = 0; x < field->width(); ++x) {
            const QPoint point(x, field->height() / 2);
            if (field->cursorPositionAt(point) == position)
                return point;
        }
        return {};
    }
    bool PartsMatchText() const {
        const auto* mode = field->Mode();
        return mode &&
               QString::fromStdString(mode->LeftPart() + mode->RightPart()) == field->text();
    }
};

// A drop whose source proposes a move, as a plain drag does on X11.
struct ProposedMove : QDropEvent {
    ProposedMove(QPointF at, const QMimeData* data)
        : QDropEvent(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier) {
        m_defaultAction = m_dropAction = Qt::MoveAction;
    }
};

struct State {
    QString text;
    int cursor;
    int selStart;
    QString selected;
    bool operator==(const State&) const = default;
};

State StateOf(const QLineEdit& edit) {
    return {edit.text(), edit.cursorPosition(), edit.selectionStart(), edit.selectedText()};
}

void SetState(QLineEdit& edit, const State& state) {
    edit.setText(state.text);
    if (state.selected.isEmpty())
        edit.setCursorPosition(state.cursor);
    else if (state.cursor == state.selStart)
        edit.setSelection(state.selStart + state.selected.size(), -state.selected.size());
    else
        edit.setSelection(state.selStart, state.selected.size());
}

char* toString(const State& s) {
    return QTest::toString(QStringLiteral("'%1' cursor %2 selection %3+'%4'")
                               .arg(s.text)
                               .arg(s.cursor)
                               .arg(s.selStart)
                               .arg(s.selected));
}

struct KeyStroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

// Keys whose effect a plain edit shows, and what the field does instead
// where the two differ by design.
const KeyStroke kKeys[] = {
    {Qt::Key_Backspace, {}},
    {Qt::Key_Delete, {}},
    {Qt::Key_Delete, Qt::ShiftModifier},
    {Qt::Key_Left, {}},
    {Qt::Key_Right, {}},
    {Qt::Key_Left, Qt::ShiftModifier},
    {Qt::Key_Right, Qt::ShiftModifier},
    {Qt::Key_Home, {}},
    {Qt::Key_End, {}},
    {Qt::Key_Home, Qt::ShiftModifier},
    {Qt::Key_End, Qt::ShiftModifier},
    {Qt::Key_Left, Qt::ControlModifier},
    {Qt::Key_Right, Qt::ControlModifier},
    {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
    {Qt::Key_Up, {}},
    {Qt::Key_Down, {}},
    {Qt::Key_A, Qt::ControlModifier},
    {Qt::Key_Backspace, Qt::ControlModifier},
    {Qt::Key_Delete, Qt::ControlModifier},
    {Qt::Key_X, Qt::ControlModifier},
};

// The plain edit's stand-in for a key: Shift+Delete with nothing selected
// is Backspace, Ctrl+Left and Ctrl+Right go home and to the end.
KeyStroke PlainKey(KeyStroke stroke, const State& before) {
    const bool shift = stroke.modifiers & Qt::ShiftModifier;
    if (stroke.key == Qt::Key_Delete && stroke.modifiers == Qt::ShiftModifier &&
        before.selected.isEmpty())
        return {Qt::Key_Backspace, {}};
    if ((stroke.key == Qt::Key_Left || stroke.key == Qt::Key_Right) &&
        (stroke.modifiers & Qt::ControlModifier))
        return {stroke.key == Qt::Key_Left ? Qt::Key_Home : Qt::Key_End,
                shift ? Qt::ShiftModifier : Qt::NoModifier};
    return stroke;
}

} // namespace

class MaskEditTest : public QObject {
    Q_OBJECT

private slots:
    void randomInputBehavesAsAPlainEditWithinTheMask();
    void everyWayInTakesOnlyWhatTheMaskAllows_data();
    void everyWayInTakesOnlyWhatTheMaskAllows();
    void undoAndRedoRebuildTheParts();
    void entering();
    void validation();
    void aBadMaskLeavesTheFieldUnmasked();
    void maxLengthAndCharCase();
};

// Thousands of random keys, typing, pastes, cuts, clicks, selections and
// program texts on a real field. After every step the text is a run of at
// most eight hex digits and the mode's parts make up the text. Where a
// plain line edit given the same input ends with such a text, the field
// ends exactly as the plain edit does; elsewhere it ends as the model says.
void MaskEditTest::randomInputBehavesAsAPlainEditWithinTheMask() {
    Window window;
    QVERIFY(window.ShowActive());
    TcxMaskEdit& field = *window.field;
    window.other->setFocus();
    field.setFocus(Qt::TabFocusReason);
    QLineEdit plain;
    std::mt19937 rng(20240613);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const QString alphabet = QStringLiteral("0123456789abcdefABCDEFgxz -");
    const auto randomText = [&](int maxLength) {
        QString text;
        for (int i = pick(maxLength + 1); i > 0; --i)
            text += alphabet.at(pick(static_cast<int>(alphabet.size())));
        return text;
    };
    QString value = field.text();
    int compared = 0;
    for (int step = 0; step < 6000; ++step) {
        const State before = StateOf(field);
        // Input for the field and, where it differs, for the plain edit.
        std::function<void(QLineEdit&)> input;
        std::function<void(QLineEdit&)> plainInput;
        std::optional<State> expected;
        const int kind = pick(20);
        if (kind < 8) {
            const char c = alphabet.at(pick(static_cast<int>(alphabet.size()))).toLatin1();
            input = [c](QLineEdit& edit) { QTest::keyClick(&edit, c); };
            const bool hex = !HexFilter(QString(QLatin1Char(c))).isEmpty();
            if (!hex)
                expected = before;
            else if (before.selected.isEmpty() && before.text.size() == 8)
                expected = before.cursor == 8
                               ? before
                               : State{before.text.left(before.cursor) + QLatin1Char(c),
                                       before.cursor + 1, -1, QString()};
        } else if (kind < 14) {
            const KeyStroke stroke = kKeys[pick(static_cast<int>(std::size(kKeys)))];
            const KeyStroke stand = PlainKey(stroke, before);
            input = [stroke](QLineEdit& edit) {
                QTest::keyClick(&edit, stroke.key, stroke.modifiers);
            };
            plainInput = [stand](QLineEdit& edit) {
                QTest::keyClick(&edit, stand.key, stand.modifiers);
            };
        } else if (kind < 16) {
            const QString clip = randomText(12);
            QGuiApplication::clipboard()->setText(clip);
            const bool shiftInsert = pick(2) == 0;
            input = [shiftInsert](QLineEdit& edit) {
                QTest::keyClick(&edit, shiftInsert ? Qt::Key_Insert : Qt::Key_V,
                                shiftInsert ? Qt::ShiftModifier : Qt::ControlModifier);
            };
            // The whole text goes through the mask, the caret after what was
            // kept of the pasted text; an empty clipboard pastes nothing.
            const int start = before.selected.isEmpty() ? before.cursor : before.selStart;
            const QString head = before.text.left(start) + clip;
            const QString whole = HexFilter(head + before.text.mid(start + before.selected.size()));
            const auto caret = static_cast<int>(std::min(HexFilter(head).size(), whole.size()));
            expected = clip.isEmpty() ? before : State{whole, caret, -1, QString()};
        } else if (kind < 17) {
            const int position = pick(static_cast<int>(field.text().size()) + 1);
            const bool shift = pick(2) == 0;
            QTest::mouseClick(&field, Qt::LeftButton, shift ? Qt::ShiftModifier : Qt::NoModifier,
                              window.AtPosition(position));
            QCOMPARE(field.cursorPosition(), position);
            QCOMPARE(field.text(), before.text);
        } else if (kind < 18) {
            const int size = static_cast<int>(field.text().size());
            const int start = pick(size + 1);
            field.setSelection(start, pick(size + 1) - start);
        } else if (kind < 19) {
            const QString text = randomText(12);
            field.setText(text);
            value = field.text();
            QCOMPARE(StateOf(field),
                     (State{HexFilter(text), static_cast<int>(value.size()), -1, {}}));
        } else {
            // Undo, redo, Escape and Enter have no plain counterpart.
            const KeyStroke strokes[] = {{Qt::Key_Z, Qt::ControlModifier},
                                         {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
                                         {Qt::Key_Escape, {}},
                                         {Qt::Key_Return, {}}};
            const int which = pick(4);
            QTest::keyClick(&field, strokes[which].key, strokes[which].modifiers);
            if (which == 2)
                QCOMPARE(field.text(), value);
            if (which == 3)
                value = field.text();
        }
        if (input) {
            input(field);
            SetState(plain, before);
            (plainInput ? plainInput : input)(plain);
            const State plainAfter = StateOf(plain);
            if (!expected && IsHexText(plainAfter.text))
                expected = plainAfter;
            QVERIFY2(
                expected,
                qPrintable(
                    QStringLiteral("step %1: no model for %2").arg(step).arg(plainAfter.text)));
            QCOMPARE(StateOf(field), *expected);
            ++compared;
        }
        QVERIFY2(IsHexText(field.text()), qPrintable(field.text()));
        QVERIFY2(window.PartsMatchText(), qPrintable(QStringLiteral("step %1").arg(step)));
        QVERIFY(field.hasFocus());
    }
    QVERIFY(compared > 3000);
    QVERIFY(window.dialogs.messages.empty());
}

void MaskEditTest::everyWayInTakesOnlyWhatTheMaskAllows_data() {
    QTest::addColumn<std::function<void(Window&)>>("input");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<bool>("selectionPaste");
    // Each starts from "AB|CD" and brings in "0x1Fg" or a mix of it.
    QTest::newRow("set through the field")
        << std::function<void(Window&)>([](Window& w) { w.field->setText("0x1Fg"); }) << "01F" << 3
        << false;
    QTest::newRow("set through a plain line edit pointer")
        << std::function<void(Window&)>(
               [](Window& w) { static_cast<QLineEdit*>(w.field)->setText("0x1Fg"); })
        << "01F" << 3 << false;
    QTest::newRow("set through the text property")
        << std::function<void(Window&)>([](Window& w) { w.field->setProperty("text", "0x1Fg"); })
        << "01F" << 3 << false;
    QTest::newRow("set through accessibility") << std::function<void(Window&)>([](Window& w) {
        QAccessible::queryAccessibleInterface(w.field)->setText(QAccessible::Value, "0x1Fg");
    }) << "01F" << 3 << false;
    QTest::newRow("inserted through accessibility") << std::function<void(Window&)>([](Window& w) {
        QAccessible::queryAccessibleInterface(w.field)->editableTextInterface()->insertText(
            2, "0x1Fg");
    }) << "AB01FCD" << 7 << false;
    QTest::newRow("typed") << std::function<void(Window&)>([](Window& w) {
        QTest::keyClicks(w.field, "0x1Fg");
    }) << "AB01FCD" << 5 << false;
    QTest::newRow("pasted") << std::function<void(Window&)>([](Window& w) {
        QGuiApplication::clipboard()->setText("0x1Fg");
        QTest::keyClick(w.field, Qt::Key_V, Qt::ControlModifier);
    }) << "AB01FCD" << 5 << false;
    QTest::newRow("pasted from the context menu") << std::function<void(Window&)>([](Window& w) {
        QGuiApplication::clipboard()->setText("0x1Fg");
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                                w.field->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w.field, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QLineEdit::tr("&Paste")))
                action->trigger();
        }
        menu->close();
    }) << "AB01FCD" << 5 << false;
    QTest::newRow("dropped") << std::function<void(Window&)>([](Window& w) {
        QMimeData data;
        data.setText("0x1Fg");
        const QPoint at = w.AtPosition(1);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.field, &enter);
        ProposedMove drop(at, &data);
        QApplication::sendEvent(w.field, &drop);
        // Part of the text stayed out, so the source must keep it all.
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }) << "A01FBCD" << 4 << false;
    QTest::newRow("committed by an input method") << std::function<void(Window&)>([](Window& w) {
        QInputMethodEvent composing(QStringLiteral("zhong"), {});
        QApplication::sendEvent(w.field, &composing);
        QCOMPARE(w.field->text(), QStringLiteral("ABCD"));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("中0x1Fg"));
        QApplication::sendEvent(w.field, &commit);
    }) << "AB01FCD" << 5 << false;
    QTest::newRow("middle-click paste of the selection")
        << std::function<void(Window&)>([](Window& w) {
               QGuiApplication::clipboard()->setText("0x1Fg", QClipboard::Selection);
               QTest::mouseClick(w.field, Qt::MiddleButton, {}, w.AtPosition(2));
           })
        << "AB01FCD" << 5 << true;
}

void MaskEditTest::everyWayInTakesOnlyWhatTheMaskAllows() {
    QFETCH(std::function<void(Window&)>, input);
    QFETCH(bool, selectionPaste);
    if (selectionPaste && !QGuiApplication::clipboard()->supportsSelection())
        QSKIP("The platform has no selection to paste");
    QFETCH(QString, text);
    QFETCH(int, cursor);
    Window window;
    QVERIFY(window.ShowActive());
    window.field->setFocus(Qt::MouseFocusReason);
    window.field->setText(QStringLiteral("ABCD"));
    window.field->setCursorPosition(2);
    input(window);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(window.field->text(), text);
    QCOMPARE(window.field->cursorPosition(), cursor);
    QVERIFY(window.PartsMatchText());
    // The mode is in step: a digit typed now lands at the caret.
    QTest::keyClick(window.field, '9');
    QCOMPARE(window.field->text(), HexFilter(text.left(cursor) + '9' + text.mid(cursor)));
}

void MaskEditTest::undoAndRedoRebuildTheParts() {
    Window window;
    QVERIFY(window.ShowActive());
    TcxMaskEdit& field = *window.field;
    field.setFocus(Qt::TabFocusReason);
    QTest::keyClicks(&field, "12ab");
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QCOMPARE(field.text(), QStringLiteral("12b"));
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(field.text(), QStringLiteral("12ab"));
    QVERIFY(window.PartsMatchText());
    QTest::keyClick(&field, 'c');
    QCOMPARE(field.text().size(), 5);
    QVERIFY(window.PartsMatchText());
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(IsHexText(field.text()));
    QVERIFY(window.PartsMatchText());
}

// AutoSelect selects everything when the field is entered by keyboard, not
// by a click; OnFocusChanged is raised once each way, never by a program text.
void MaskEditTest::entering() {
    Window window;
    QVERIFY(window.ShowActive());
    TcxMaskEdit& field = *window.field;
    field.setText(QStringLiteral("FFFF"));
    window.other->setFocus();
    QSignalSpy spy(&field, &TcxMaskEdit::OnFocusChanged);
    QTest::keyClick(window.other, Qt::Key_Backtab);
    QCOMPARE(field.selectedText(), QStringLiteral("FFFF"));
    QTest::keyClick(&field, '1');
    QCOMPARE(field.text(), QStringLiteral("1"));
    QTest::keyClick(&field, Qt::Key_Tab);
    QCOMPARE(spy.count(), 2);
    QTest::mouseClick(&field, Qt::LeftButton, {}, window.AtPosition(0));
    QVERIFY(field.hasFocus());
    QVERIFY(!field.hasSelectedText());
    QCOMPARE(field.cursorPosition(), 0);
    window.other->setFocus();
    field.setAutoSelect(false);
    QTest::keyClick(window.other, Qt::Key_Backtab);
    QVERIFY(!field.hasSelectedText());
    QCOMPARE(spy.count(), 5);
    // Typing g, x, a blank or a byte above 127 changes nothing, silently.
    QTest::keyClicks(&field, "gx ");
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(&field, &accented);
    QCOMPARE(field.text(), QStringLiteral("1"));
    QVERIFY(window.dialogs.messages.empty());
}

void MaskEditTest::validation() {
    Window window(QStringLiteral("a{3}"));
    QVERIFY(window.ShowActive());
    TcxMaskEdit& field = *window.field;
    window.other->setFocus();
    QSignalSpy spy(&field, &TcxMaskEdit::OnFocusChanged);
    field.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&field, 'a');
    // Leaving with an incomplete text: the field keeps the focus, selects
    // its text and reports; the focus never left as far as the event goes.
    QTest::keyClick(&field, Qt::Key_Tab);
    QVERIFY(field.hasFocus());
    QCOMPARE(field.selectedText(), QStringLiteral("a"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(window.dialogs.messages.size(), size_t(1));
    QCOMPARE(window.dialogs.messages.back().text, QStringLiteral("The edit value is invalid."));
    QCOMPARE(window.dialogs.messages.back().icon, MsgIcon::Critical);
    // Enter validates too; Escape puts back the text from before the typing.
    QTest::keyClick(&field, Qt::Key_Return);
    QCOMPARE(window.dialogs.messages.size(), size_t(2));
    QTest::keyClick(&field, Qt::Key_Escape);
    QCOMPARE(field.text(), QString());
    QTest::keyClicks(&field, "aaa");
    QTest::keyClick(&field, Qt::Key_Tab);
    QVERIFY(window.other->hasFocus());
    QCOMPARE(spy.count(), 2);
    QCOMPARE(window.dialogs.messages.size(), size_t(2));

    // A handler may clear the error and change the text, or raise one of its own.
    field.SetOnValidate([](TcxMaskEdit*, QString& text, QString&, bool& error) {
        error = text != QStringLiteral("a");
        text = QStringLiteral("aaa");
    });
    field.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&field, 'a');
    QTest::keyClick(&field, Qt::Key_Tab);
    QCOMPARE(field.text(), QStringLiteral("aaa"));
    field.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&field, Qt::Key_Backspace);
    QTest::keyClick(&field, Qt::Key_Return);
    QCOMPARE(window.dialogs.messages.back().text,
             QStringLiteral("Invalid input value. Use escape key to abandon changes."));
}

void MaskEditTest::aBadMaskLeavesTheFieldUnmasked() {
    Window window;
    window.field->setText(QStringLiteral("12"));
    QVERIFY_THROWS_EXCEPTION(EcxMaskEditError, window.field->setEditMask(QStringLiteral("*|+")));
    try {
        window.field->setEditMask(QStringLiteral("(a"));
    } catch (const EcxMaskEditError& error) {
        QCOMPARE(error.what(), "Regular expression errors:\nMissing ')'");
    }
    QVERIFY(!window.field->Mode());
    QTest::keyClicks(window.field, "xyz");
    QCOMPARE(window.field->text(), QStringLiteral("12xyz"));
    // Set as a property, the error goes to the error report instead.
    QVERIFY(window.field->setProperty("EditMask", QStringLiteral("a**")));
    QCOMPARE(window.dialogs.messages.size(), size_t(1));
    QCOMPARE(window.dialogs.messages.front().text,
             QStringLiteral("Regular expression errors:\nLine1, Char3: The '*' quantifier "
                            "cannot be applied here."));
    window.field->setEditMask(kHexMask);
    QCOMPARE(window.field->text(), QStringLiteral("12"));
}

void MaskEditTest::maxLengthAndCharCase() {
    Window window;
    TcxMaskEdit& field = *window.field;
    field.setMaxLength(3);
    QCOMPARE(field.MaxLength(), 0);
    QTest::keyClicks(&field, "123456789");
    QCOMPARE(field.text(), QStringLiteral("12345678"));
    field.setEditMask(QString());
    field.setMaxLength(3);
    QCOMPARE(field.MaxLength(), 3);
    field.setText(QStringLiteral("abcdef"));
    QCOMPARE(field.text(), QStringLiteral("abc"));

    field.setEditMask(kHexMask);
    field.setCaseInsensitive(false);
    field.setCharCase(TcxMaskEdit::ecUpperCase);
    QVERIFY(field.CaseInsensitive());
    QCOMPARE(field.text(), QStringLiteral("ABC"));
    field.setText(QStringLiteral("ff"));
    QCOMPARE(field.text(), QStringLiteral("FF"));
    QTest::keyClicks(&field, "e");
    QGuiApplication::clipboard()->setText(QStringLiteral("d"));
    QTest::keyClick(&field, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field.text(), QStringLiteral("FFED"));
    field.setCharCase(TcxMaskEdit::ecLowerCase);
    QCOMPARE(field.text(), QStringLiteral("ffed"));
}

QTEST_MAIN(MaskEditTest)
#include "maskedit_test.moc"
