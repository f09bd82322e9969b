#include "DataTextModel.h"
#include "Program.h"
#include "QuietFontWarnings.h"
#include "memotext.h"

#include "MemoEdit.h"
#include <QCheckBox>

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>

namespace {

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

class Toggler {
public:
    Toggler() { QVERIFY(p.ShowActive()); }

    MemoEdit* Memo() const { return p.Find<MemoEdit>("Memo1"); }
    QCheckBox* Box() const { return p.Find<QCheckBox>("CheckBoxHex"); }
    QByteArray Text() const { return Bytes(MemoText(*Memo())); }
    void SetText(const QByteArray& bytes) { SetMemoText(*Memo(), View(bytes)); }
    QByteArray Toggle() {
        Box()->click();
        return Text();
    }
    void TypeAt(int position, const QString& keys) {
        MemoCursor cursor = Memo()->textCursor();
        cursor.setPosition(position);
        Memo()->setTextCursor(cursor);
        QTest::keyClicks(Memo(), keys);
    }
    void KeyAt(int position, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        MemoCursor cursor = Memo()->textCursor();
        cursor.setPosition(position);
        Memo()->setTextCursor(cursor);
        QTest::keyClick(Memo(), key, modifiers);
    }

    Program p;
};

QByteArray Pairs(const QByteArray& bytes) {
    return Bytes(HexPairs(View(bytes)));
}

} // namespace

class ViewToggleTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QuietFontWarnings(); }
    void roundTrip_data();
    void roundTrip();
    void randomBytesRoundTrip();
    void seventyThousandNulls();
    void nullsFollowTheUsersEdits();
    void badToken_data();
    void badToken();
};

void ViewToggleTest::roundTrip_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("back");
    QTest::newRow("letters") << QByteArray("41 42 43") << QByteArray("ABC")
                             << QByteArray("41 42 43");
    QTest::newRow("00 inside") << QByteArray("41 00 42") << QByteArray("A.B")
                               << QByteArray("41 00 42");
    QTest::newRow("00 last") << QByteArray("41 00") << QByteArray("A.") << QByteArray("41 00");
    QTest::newRow("2E beside 00") << QByteArray("2E 00") << QByteArray("..") << QByteArray("2E 00");
    QTest::newRow("lone CR before 00")
        << QByteArray("41 0D 00 42") << QByteArray("A\r\n.B") << QByteArray("41 0D 0A 00 42");
    QTest::newRow("not UTF-8, and characters the memo could take for breaks")
        << QByteArray("C2 A0 E2 80 A8 80 FF 00 E4 B8 AD 00")
        << QByteArray("\xC2\xA0\xE2\x80\xA8\x80\xFF.\xE4\xB8\xAD.")
        << QByteArray("C2 A0 E2 80 A8 80 FF 00 E4 B8 AD 00");
    QTest::newRow("characters of several bytes before 00")
        << QByteArray("F0 9F 98 80 00 E2 80 A9 00 41")
        << QByteArray("\xF0\x9F\x98\x80.\xE2\x80\xA9.A")
        << QByteArray("F0 9F 98 80 00 E2 80 A9 00 41");
    QTest::newRow("lower case, lines, blanks")
        << QByteArray(" ab 0a\r\n\t 00 \r\n") << QByteArray("\xAB\r\n.")
        << QByteArray("AB 0D 0A 00");
    QTest::newRow("blanks only") << QByteArray(" \r\n ") << QByteArray() << QByteArray();
}

void ViewToggleTest::roundTrip() {
    QFETCH(QByteArray, hex);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, back);
    Toggler t;
    t.SetText(hex);
    QCOMPARE(t.Toggle(), text);
    QVERIFY(!t.Box()->isChecked());
    QCOMPARE(t.Toggle(), back);
    QVERIFY(t.Box()->isChecked());
    QVERIFY(t.p.dialogs.messages.empty());
}

void ViewToggleTest::randomBytesRoundTrip() {
    Toggler t;
    QRandomGenerator rng(21);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes(rng.bounded(40), '\0');
        for (char& c : bytes)
            c = rng.bounded(2) ? "\0\r\n.\x80\xC2\xA0\xE2\xA8\xFF"[rng.bounded(10)]
                               : static_cast<char>(rng.bounded(256));
        t.SetText(Pairs(bytes));
        t.Toggle();
        QCOMPARE(t.Toggle(), Bytes(HexPairs(WithMemoLineBreaks(View(bytes)))));
    }
}

void ViewToggleTest::seventyThousandNulls() {
    Toggler t;
    QByteArray zeros = Pairs(QByteArray(70000, '\0'));
    t.SetText(zeros);
    QCOMPARE(t.Toggle(), QByteArray(70000, '.'));
    QCOMPARE(t.Toggle(), zeros);
}

// A full stop stands for 00 until the user deletes it, wherever edits move it;
// a full stop the user types is 2E.
void ViewToggleTest::nullsFollowTheUsersEdits() {
    Toggler t;
    t.SetText("41 00 42 00");
    t.Toggle();
    t.TypeAt(0, QStringLiteral("X"));
    QCOMPARE(t.Text(), QByteArray("XA.B."));
    t.KeyAt(1, Qt::Key_Return);
    t.KeyAt(3, Qt::Key_Return, Qt::ShiftModifier);
    t.TypeAt(5, QStringLiteral(".."));
    QCOMPARE(t.Text(), QByteArray("X\r\nA\r\n...B."));
    t.KeyAt(5, Qt::Key_Backspace);
    QCOMPARE(t.Toggle(), QByteArray("58 0D 0A 41 0D 0A 2E 2E 42 00"));

    // Replacing the text removes its full stops: an imported one is 2E.
    t.SetText("00 41");
    t.Toggle();
    t.SetText(".A");
    QCOMPARE(t.Toggle(), QByteArray("2E 41"));
}

void ViewToggleTest::badToken_data() {
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<MsgIcon>("icon");
    QTest::addColumn<QString>("selected");
    const QString range = QStringLiteral("16进制范围:00-FF的2位数");
    const QString invalid = QStringLiteral("存在无效16进制！");
    const QString hint = QStringLiteral("提示");
    const QString error = QStringLiteral("错误");
    QTest::newRow("one character")
        << QByteArray("41 4 42") << range << hint << MsgIcon::Information << QStringLiteral("4");
    QTest::newRow("three characters") << QByteArray("00 41 414") << range << hint
                                      << MsgIcon::Information << QStringLiteral("414");
    QTest::newRow("not hexadecimal")
        << QByteArray("00 G1 42") << invalid << error << MsgIcon::Critical << QStringLiteral("G1");
    QTest::newRow("empty quoted token")
        << QByteArray("41 \"\"") << range << hint << MsgIcon::Information << QString();
}

// The memo keeps the hexadecimal text, the box stays as the click left it,
// and the next click takes that text as text.
void ViewToggleTest::badToken() {
    QFETCH(QByteArray, hex);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(MsgIcon, icon);
    QFETCH(QString, selected);
    Toggler t;
    t.SetText(hex);
    QCOMPARE(t.Toggle(), hex);
    QVERIFY(!t.Box()->isChecked());
    QCOMPARE(t.p.dialogs.messages.size(), std::size_t(1));
    const FakeDialogs::Message& box = t.p.dialogs.messages.front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.owner, t.p.form1.get());
    QCOMPARE(QApplication::focusWidget(), t.Memo());
    QCOMPARE(t.Memo()->textCursor().selectedText(), selected);
    QCOMPARE(t.Toggle(), Pairs(hex));
}

QTEST_MAIN(ViewToggleTest)
#include "ViewToggle_test.moc"
