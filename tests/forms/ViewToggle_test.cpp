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

// A random number from 0 to n - 1.
std::uint64_t Below(QRandomGenerator& rng, std::uint64_t n) {
    return rng.bounded(static_cast<quint64>(n));
}

// The cell that starts at a byte offset of the text view.
std::vector<ViewCell>::iterator CellAt(std::vector<ViewCell>& cells, std::uint64_t offset) {
    auto cell = cells.begin();
    for (std::uint64_t at = 0; at < offset && cell != cells.end(); ++cell)
        at += cell->shown.size();
    return cell;
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
    // Types over a random stretch of whole characters, in the memo and in the
    // model of the text view: full stops, letters and line breaks, or Delete.
    void RandomEdit(QRandomGenerator& rng, std::vector<ViewCell>& cells) {
        const TextBuffer& text = Memo()->Text();
        const std::uint64_t from = text.CharStart(Below(rng, text.Size() + 1));
        const std::uint64_t to = text.CharStart(from + Below(rng, text.Size() - from + 1));
        std::string typed;
        for (int n = rng.bounded(4); n > 0; --n)
            typed += ".x\n"[rng.bounded(3)];
        Memo()->SelectBytes(from, to);
        if (typed.empty() && from != to)
            QTest::keyClick(Memo(), Qt::Key_Delete);
        for (const char c : typed) {
            if (c == '\n')
                QTest::keyClick(Memo(), Qt::Key_Return);
            else
                QTest::keyClicks(Memo(), QString(QLatin1Char(c)));
        }
        std::vector<ViewCell> replacement;
        for (const char c : typed)
            replacement.push_back(c == '\n' ? ViewCell{"\r\n", "\r\n"} : ViewCell{{c}, {c}});
        const auto first = CellAt(cells, from);
        cells.insert(cells.erase(first, CellAt(cells, to)), replacement.begin(), replacement.end());
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
    void randomEditsRoundTrip();
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
        << QByteArray("41 0D 00 42") << QByteArray("A\r\n.B") << QByteArray("41 0D 00 42");
    QTest::newRow("CR CR LF, LF CR, final CR")
        << QByteArray("0D 0D 0A 0A 0D 0D") << QByteArray("\r\n\r\n\r\n\r\n\r\n")
        << QByteArray("0D 0D 0A 0A 0D 0D");
    QTest::newRow("not UTF-8, and characters the memo could take for breaks")
        << QByteArray("C2 A0 E2 80 A8 80 FF 00 E4 B8 AD 00")
        << QByteArray("\xC2\xA0\xE2\x80\xA8\x80\xFF.\xE4\xB8\xAD.")
        << QByteArray("C2 A0 E2 80 A8 80 FF 00 E4 B8 AD 00");
    QTest::newRow("characters of several bytes before 00")
        << QByteArray("F0 9F 98 80 00 E2 80 A9 00 41")
        << QByteArray("\xF0\x9F\x98\x80.\xE2\x80\xA9.A")
        << QByteArray("F0 9F 98 80 00 E2 80 A9 00 41");
    QTest::newRow("lower case, lines, blanks")
        << QByteArray(" ab 0a\r\n\t 00 \r\n") << QByteArray("\xAB\r\n.") << QByteArray("AB 0A 00");
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

// Random data full of 00, 0D and 0A comes back byte for byte, and so does what
// random edits in the text view leave of it: what the user types is its own
// bytes, a line break CR LF.
void ViewToggleTest::randomEditsRoundTrip() {
    Toggler t;
    QRandomGenerator rng(21);
    const std::string_view others = "\r\n.A \x80\xFF\xC2\xA0\xE2\x80\xA8\xE4\xB8\xAD";
    for (int round = 0; round < 300; ++round) {
        std::string bytes(rng.bounded(40), '\0');
        for (char& c : bytes)
            c = rng.bounded(2) ? "\r\n"[rng.bounded(3)] : others[Below(rng, others.size())];
        t.SetText(Pairs(Bytes(bytes)));
        std::vector<ViewCell> cells = TextViewCells(bytes);
        QCOMPARE(t.Toggle(), Bytes(TextViewOf(cells).text));
        for (int edits = rng.bounded(4); edits > 0; --edits)
            t.RandomEdit(rng, cells);
        QCOMPARE(t.Toggle(), Bytes(HexPairs(TextViewOf(cells).data)));
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

// The memo keeps the hexadecimal text, and the box goes back to say so: the
// next click tries the conversion again.
void ViewToggleTest::badToken() {
    QFETCH(QByteArray, hex);
    QFETCH(QString, message);
    QFETCH(QString, caption);
    QFETCH(MsgIcon, icon);
    QFETCH(QString, selected);
    Toggler t;
    t.SetText(hex);
    bool checkedDuringMessage = false;
    t.p.dialogs.onMessage = [&](const FakeDialogs::Message&) {
        checkedDuringMessage = t.Box()->isChecked();
    };
    QCOMPARE(t.Toggle(), hex);
    QVERIFY(t.Box()->isChecked());
    QVERIFY(checkedDuringMessage);
    QCOMPARE(t.p.dialogs.messages.size(), std::size_t(1));
    const FakeDialogs::Message& box = t.p.dialogs.messages.front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.caption, caption);
    QCOMPARE(box.icon, icon);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.owner, t.p.form1.get());
    QCOMPARE(QApplication::focusWidget(), t.Memo());
    QCOMPARE(t.Memo()->textCursor().selectedText(), selected);
    QCOMPARE(t.Toggle(), hex);
    QVERIFY(t.Box()->isChecked());
    QCOMPARE(t.p.dialogs.messages.size(), std::size_t(2));
}

QTEST_MAIN(ViewToggleTest)
#include "ViewToggle_test.moc"
