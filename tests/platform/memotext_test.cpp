#include "DataTextModel.h"
#include "QuietFontWarnings.h"
#include "memotext.h"

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>

// The memo layer is the same for both kinds of memo: this file is built once
// for each (MEMO_EDIT chooses the main window's memo for large data).
#ifdef MEMO_EDIT
#include "MemoEdit.h"
using Memo = MemoEdit;
#else
using Memo = QPlainTextEdit;
#endif

#include <iterator>
#include <limits>
#include <string>
#include <string_view>

namespace {

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString Units(std::initializer_list<char16_t> units) {
    QString text;
    for (const char16_t u : units)
        text += QChar(u);
    return text;
}

// What a memo gives back for the bytes it was set to, by the plain definition.
QByteArray MemoModel(const QByteArray& bytes) {
    const std::string_view view = View(bytes);
    return Bytes(WithMemoLineBreaks(view.substr(0, view.find('\0'))));
}

// Random bytes rich in UTF-8 lead and continuation bytes, line breaks and 00.
QByteArray RandomBytes(QRandomGenerator& rng, int maxLength) {
    static const char kSpecial[] = {'\r',   '\n',   '\0',   'A',    '\xC2', '\xE2', '\x80',
                                    '\xA8', '\xED', '\xF0', '\xF4', '\x90', '\xBF', '\xEF'};
    QByteArray bytes(rng.bounded(maxLength + 1), '\0');
    for (char& b : bytes) {
        const quint32 pick = rng.bounded(3);
        if (pick == 0)
            b = kSpecial[rng.bounded(static_cast<int>(sizeof kSpecial))];
        else if (pick == 1)
            b = static_cast<char>(0x80 + rng.bounded(64));
        else
            b = static_cast<char>(rng.bounded(256));
    }
    return bytes;
}

} // namespace

class MemoTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QuietFontWarnings(); }
    void decodeAndEncode_data();
    void decodeAndEncode();
    void agreesWithUtf8OnValidText();
    void unpairedSurrogatesAreEncodedNotLost_data();
    void unpairedSurrogatesAreEncodedNotLost();
    void bytesRoundTripThroughQString();
    void memoKeepsNoBreakSpaceAndLineSeparator();
    void shiftEnterReadsAsLineBreak();
    void memoGivesBackBytesThatAreNotUtf8_data();
    void memoGivesBackBytesThatAreNotUtf8();
    void lineBreaksAndCut_data();
    void lineBreaksAndCut();
    void memoRoundTripOfRandomBytes();
    void selection_data();
    void selection();
    void selectionCountsLineSeparatorAsBreak();
    void capacity();
};

void MemoTextTest::decodeAndEncode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("ascii") << QByteArray("ab 01\t") << QString("ab 01\t");
    QTest::newRow("two bytes") << QByteArray("\xC3\xA9") << Units({0xE9});
    QTest::newRow("three bytes") << QByteArray("\xE4\xB8\xAD") << Units({0x4E2D});
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << Units({0xD83D, 0xDE00});
    QTest::newRow("largest code point")
        << QByteArray("\xF4\x8F\xBF\xBF") << Units({0xDBFF, 0xDFFF});
    QTest::newRow("line separator") << QByteArray("\xE2\x80\xA8") << Units({0x2028});
    QTest::newRow("lone continuation") << QByteArray("A\x80"
                                                     "B")
                                       << Units({'A', 0xDC80, 'B'});
    QTest::newRow("byte FF") << QByteArray("\xFF") << Units({0xDCFF});
    QTest::newRow("truncated") << QByteArray("\xE4\xB8") << Units({0xDCE4, 0xDCB8});
    QTest::newRow("truncated before ascii") << QByteArray("\xF0\x9F\x98"
                                                          "A")
                                            << Units({0xDCF0, 0xDC9F, 0xDC98, 'A'});
    QTest::newRow("overlong C0 80") << QByteArray("\xC0\x80") << Units({0xDCC0, 0xDC80});
    QTest::newRow("overlong E0 80 80")
        << QByteArray("\xE0\x80\x80") << Units({0xDCE0, 0xDC80, 0xDC80});
    QTest::newRow("overlong F0 8F BF BF")
        << QByteArray("\xF0\x8F\xBF\xBF") << Units({0xDCF0, 0xDC8F, 0xDCBF, 0xDCBF});
    QTest::newRow("surrogate ED A0 80")
        << QByteArray("\xED\xA0\x80") << Units({0xDCED, 0xDCA0, 0xDC80});
    QTest::newRow("above 10FFFF") << QByteArray("\xF4\x90\x80\x80")
                                  << Units({0xDCF4, 0xDC90, 0xDC80, 0xDC80});
    QTest::newRow("lead byte F5") << QByteArray("\xF5\x80") << Units({0xDCF5, 0xDC80});
}

void MemoTextTest::decodeAndEncode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeBytes(View(bytes)), text);
    QCOMPARE(Bytes(EncodeBytes(text)), bytes);
}

void MemoTextTest::agreesWithUtf8OnValidText() {
    QRandomGenerator rng(11);
    for (int round = 0; round < 500; ++round) {
        QString text;
        for (int i = rng.bounded(30); i > 0; --i) {
            const char32_t limits[] = {0x80, 0x800, 0x10000, 0x110000};
            char32_t code = rng.bounded(limits[rng.bounded(4)]);
            if (code >= 0xD800 && code <= 0xDFFF)
                code = 0xFFFD;
            text += QString::fromUcs4(&code, 1);
        }
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(DecodeBytes(View(utf8)), text);
        QCOMPARE(Bytes(EncodeBytes(text)), utf8);
    }
}

void MemoTextTest::unpairedSurrogatesAreEncodedNotLost_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("high alone") << Units({0xD800}) << QByteArray("\xED\xA0\x80");
    QTest::newRow("high before ascii") << Units({0xDBFF, 'a'})
                                       << QByteArray("\xED\xAF\xBF"
                                                     "a");
    QTest::newRow("low below escapes") << Units({0xDC7F}) << QByteArray("\xED\xB1\xBF");
    QTest::newRow("low above escapes") << Units({0xDD00}) << QByteArray("\xED\xB4\x80");
    QTest::newRow("two highs") << Units({0xD800, 0xD800}) << QByteArray("\xED\xA0\x80\xED\xA0\x80");
    QTest::newRow("escape after high pairs with it")
        << Units({0xD800, 0xDC80}) << QByteArray("\xF0\x90\x82\x80");
}

void MemoTextTest::unpairedSurrogatesAreEncodedNotLost() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Bytes(EncodeBytes(text)), bytes);
}

void MemoTextTest::bytesRoundTripThroughQString() {
    QRandomGenerator rng(3);
    for (int round = 0; round < 5000; ++round) {
        const QByteArray bytes = RandomBytes(rng, 24);
        QCOMPARE(Bytes(EncodeBytes(DecodeBytes(View(bytes)))), bytes);
    }
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    QCOMPARE(Bytes(EncodeBytes(DecodeBytes(View(all)))), all);
}

void MemoTextTest::memoKeepsNoBreakSpaceAndLineSeparator() {
    Memo memo;
    memo.setPlainText(Units({'a', 0x00A0, 'b', 0x2028, 'c', 0x2029, 'd', '\n', 'e'}));
    QCOMPARE(Bytes(MemoText(memo)), QByteArray("a\xC2\xA0"
                                               "b\r\nc\r\nd\r\ne"));
#ifndef MEMO_EDIT
    QCOMPARE(Bytes(MemoText(*memo.document())), QByteArray("a\xC2\xA0"
                                                           "b\r\nc\r\nd\r\ne"));
#endif

    SetMemoText(memo, "41\xC2\xA0"
                      "42");
    QCOMPARE(memo.toPlainText(), QString("41 42"));
    QCOMPARE(Bytes(MemoText(memo)), QByteArray("41\xC2\xA0"
                                               "42"));
}

void MemoTextTest::shiftEnterReadsAsLineBreak() {
    Memo memo;
    QTest::keyClicks(&memo, "ab");
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(&memo, "cd");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "e");
#ifndef MEMO_EDIT
    QCOMPARE(memo.document()->toRawText(), Units({'a', 'b', 0x2028, 'c', 'd', 0x2029, 'e'}));
#endif
    QCOMPARE(Bytes(MemoText(memo)), QByteArray("ab\r\ncd\r\ne"));
}

void MemoTextTest::memoGivesBackBytesThatAreNotUtf8_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray high;
    for (int b = 0x80; b <= 0xFF; ++b)
        high += static_cast<char>(b);
    QTest::newRow("80 to FF alone") << high;
    QTest::newRow("truncated sequences") << QByteArray("\xE4\xB8 \xF0\x9F\x98\r\n\xC3");
    QTest::newRow("overlong C0 80") << QByteArray("x\xC0\x80y");
    QTest::newRow("surrogate ED A0 80") << QByteArray("\xED\xA0\x80\xED\xBF\xBF");
    QTest::newRow("line separator bytes") << QByteArray("a\xE2\x80\xA8"
                                                        "b");
    QTest::newRow("paragraph separator bytes") << QByteArray("a\xE2\x80\xA9"
                                                             "b");
    QTest::newRow("frame marks") << QByteArray("\xEF\xB7\x90\xEF\xB7\x91");
    QTest::newRow("valid text among them") << QByteArray("\xE4\xB8\xAD\x80\xC2\xA0\xFF\r\n");
}

void MemoTextTest::memoGivesBackBytesThatAreNotUtf8() {
    QFETCH(QByteArray, bytes);
    Memo memo;
    SetMemoText(memo, View(bytes));
    QCOMPARE(Bytes(MemoText(memo)), bytes);
}

void MemoTextTest::lineBreaksAndCut_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("memoText");
    QTest::addColumn<int>("blocks");
    QTest::newRow("lone CR") << QByteArray("a\rb") << QByteArray("a\r\nb") << 2;
    QTest::newRow("lone LF") << QByteArray("a\nb") << QByteArray("a\r\nb") << 2;
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << QByteArray("a\r\nb") << 2;
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\n\r\nb") << 3;
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb") << 3;
    QTest::newRow("trailing CR LF") << QByteArray("a\r\n") << QByteArray("a\r\n") << 2;
    QTest::newRow("trailing LF LF") << QByteArray("a\n\n") << QByteArray("a\r\n\r\n") << 3;
    QTest::newRow("trailing CR") << QByteArray("a\r") << QByteArray("a\r\n") << 2;
    QTest::newRow("break only") << QByteArray("\n") << QByteArray("\r\n") << 2;
    QTest::newRow("empty") << QByteArray() << QByteArray() << 1;
    QTest::newRow("cut at 00") << QByteArray("ab\0cd\r\n", 7) << QByteArray("ab") << 1;
    QTest::newRow("cut at leading 00") << QByteArray("\0ab", 3) << QByteArray() << 1;
    QTest::newRow("cut between CR and LF") << QByteArray("a\r\0\nb", 5) << QByteArray("a\r\n") << 2;
}

void MemoTextTest::lineBreaksAndCut() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, memoText);
    QFETCH(int, blocks);
    Memo memo;
    memo.setPlainText("old text");
    SetMemoText(memo, View(bytes));
    QCOMPARE(Bytes(MemoText(memo)), memoText);
    QCOMPARE(memo.blockCount(), blocks);
}

void MemoTextTest::memoRoundTripOfRandomBytes() {
    QRandomGenerator rng(5);
    Memo memo;
    for (int round = 0; round < 500; ++round) {
        const QByteArray bytes = RandomBytes(rng, 40);
        SetMemoText(memo, View(bytes));
        QCOMPARE(Bytes(MemoText(memo)), MemoModel(bytes));
    }
}

// The memo text is "01 02\r\n03 04\r\n05": memo positions 5-6 and 12-13 are the
// breaks; the cursor counts each break as one position.
void MemoTextTest::selection_data() {
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("position");
    QTest::newRow("first token") << qsizetype(0) << qsizetype(2) << 0 << 2;
    QTest::newRow("token before a break") << qsizetype(3) << qsizetype(2) << 3 << 5;
    QTest::newRow("the break itself") << qsizetype(5) << qsizetype(2) << 5 << 6;
    QTest::newRow("start on LF") << qsizetype(6) << qsizetype(2) << 6 << 7;
    QTest::newRow("token after a break") << qsizetype(7) << qsizetype(2) << 6 << 8;
    QTest::newRow("across a break") << qsizetype(3) << qsizetype(6) << 3 << 8;
    QTest::newRow("last line") << qsizetype(14) << qsizetype(2) << 12 << 14;
    QTest::newRow("empty selection") << qsizetype(10) << qsizetype(0) << 9 << 9;
    QTest::newRow("running past the end") << qsizetype(13) << qsizetype(5) << 12 << 14;
    QTest::newRow("beyond the end") << qsizetype(100) << qsizetype(2) << 14 << 14;
    QTest::newRow("negative start") << qsizetype(-1) << qsizetype(3) << 0 << 2;
    QTest::newRow("huge length") << qsizetype(1) << std::numeric_limits<qsizetype>::max() << 1
                                 << 14;
}

void MemoTextTest::selection() {
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, length);
    QFETCH(int, anchor);
    QFETCH(int, position);
    Memo memo;
    SetMemoText(memo, "01 02\r\n03 04\r\n05");
    SelectMemoText(memo, start, length);
    QCOMPARE(memo.textCursor().anchor(), anchor);
    QCOMPARE(memo.textCursor().position(), position);
}

void MemoTextTest::selectionCountsLineSeparatorAsBreak() {
    Memo memo;
    memo.setPlainText(Units({'0', '1', 0x2028, '0', '2', 0x2029, '0', '3'}));
    SelectMemoText(memo, 8, 2);
    QCOMPARE(memo.textCursor().selectedText(), QString("03"));
    SelectMemoText(memo, 4, 2);
    QCOMPARE(memo.textCursor().selectedText(), QString("02"));
}

void MemoTextTest::capacity() {
    Memo memo;
    std::string text(kMemoCapacity + 1, 'x');
    text[kMemoCapacity] = '\0';
    text[0] = 'A';
    text[1] = '\0';
    SetMemoText(memo, text);
    QCOMPARE(memo.toPlainText(), QString("A"));
    text[1] = 'x';
    text[kMemoCapacity] = 'x';
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, SetMemoText(memo, text));
    QCOMPARE(memo.toPlainText(), QString("A"));
}

QTEST_MAIN(MemoTextTest)
#include "memotext_test.moc"
