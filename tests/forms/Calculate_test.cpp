#include "Program.h"
#include "crc.h"
#include "cxMaskEdit.h"
#include "memotext.h"

#include "MemoEdit.h"
#include <QCheckBox>
#include <QComboBox>

#include <QPushButton>
#include <QTest>

namespace {

struct Settings {
    int kind = 0;
    QString init = QStringLiteral("FFFF");
    QString poly = QStringLiteral("8005");
    QString xorValue = QStringLiteral("0000");
    bool xorOut = false;
    bool revPoly = true;
    bool revTable = false;
    bool rev = false;
    bool hex = true;
};

class Calculator {
public:
    Calculator() { p.form1->show(); }

    void Apply(const Settings& s) {
        p.Find<QComboBox>("ComboBoxCRC")->setCurrentIndex(s.kind);
        p.Find<TcxMaskEdit>("EditInit")->setText(s.init);
        p.Find<TcxMaskEdit>("EditEnpoly")->setText(s.poly);
        p.Find<TcxMaskEdit>("xorEdit")->setText(s.xorValue);
        p.Find<QCheckBox>("CheckBox1")->setChecked(s.xorOut);
        p.Find<QCheckBox>("CheckBoxRevPloy")->setChecked(s.revPoly);
        p.Find<QCheckBox>("CheckBoxRevTable")->setChecked(s.revTable);
        p.Find<QCheckBox>("CheckBoxRev")->setChecked(s.rev);
        // Blocked: the box's own handler converts the memo, which is not under test here.
        QSignalBlocker block(p.Find<QCheckBox>("CheckBoxHex"));
        p.Find<QCheckBox>("CheckBoxHex")->setChecked(s.hex);
    }
    QString Calculate(const QString& memo) {
        Memo()->setPlainText(memo);
        return Press();
    }
    QString Press() {
        QTest::mouseClick(p.Find<QPushButton>("BtnCaculate"), Qt::LeftButton);
        return Result()->text();
    }
    MemoEdit* Memo() const { return p.Find<MemoEdit>("Memo1"); }
    QLineEdit* Result() const { return p.Find<QLineEdit>("EditValue"); }

    Program p;
};

} // namespace

class CalculateTest : public QObject {
    Q_OBJECT

private slots:
    void results_data();
    void results();
    void bytesReachTheEngineUnchangedInTextMode();
    void missingInputIsReportedInOrder_data();
    void missingInputIsReportedInOrder();
    void badTokenSelectsItAndEmptiesTheResult_data();
    void badTokenSelectsItAndEmptiesTheResult();
    void emptyXorFieldReachesTheErrorReport();
};

void CalculateTest::results_data() {
    QTest::addColumn<Settings>("settings");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("result");
    const QString digits = QStringLiteral("31 32 33 34 35 36 37 38 39");
    Settings crc32;
    crc32.kind = 1;
    crc32.init = QStringLiteral("FFFFFFFF");
    crc32.poly = QStringLiteral("04C11DB7");

    QTest::newRow("defaults, hex") << Settings{} << digits << "4B37";
    Settings text;
    text.hex = false;
    QTest::newRow("defaults, text") << text << "123456789"
                                    << "4B37";
    QTest::newRow("modbus request") << Settings{} << "01 03 00 00 00 0A"
                                    << "CDC5";
    QTest::newRow("tokens over several lines and tabs")
        << Settings{} << "01\t03 \r\n00  00\n00 0A\n"
        << "CDC5";
    QTest::newRow("line break alone, text mode") << text << "\n"
                                                 << "2785";
    QTest::newRow("tokens reduce to their low byte")
        << Settings{} << "1FF 100 0000000000FF FFFFFFFF"
        << "8031";
    QTest::newRow("lower case tokens") << Settings{} << "0a ff"
                                       << "5047";
    Settings wideInit;
    wideInit.init = QStringLiteral("1FFFF");
    wideInit.poly = QStringLiteral("18005");
    QTest::newRow("only low 16 bits reach CRC-16") << wideInit << digits << "4B37";
    Settings xorZero;
    xorZero.xorOut = true;
    QTest::newRow("XOR 0000") << xorZero << digits << "4B37";
    Settings xorWide = xorZero;
    xorWide.xorValue = QStringLiteral("10000");
    QTest::newRow("XOR wider than 16 bits shows") << xorWide << digits << "14B37";
    QTest::newRow("CRC-32") << crc32 << digits << "340BC6D9";
    Settings crc32Xor = crc32;
    crc32Xor.xorOut = true;
    crc32Xor.xorValue = QStringLiteral("FFFFFFFF");
    QTest::newRow("CRC-32 check value") << crc32Xor << digits << "CBF43926";
    Settings crc32Small = crc32;
    crc32Small.init = QStringLiteral("0");
    crc32Small.poly = QStringLiteral("1");
    crc32Small.revPoly = false;
    QTest::newRow("CRC-32 padded to 8") << crc32Small << "00"
                                        << "00000000";
    Settings ccitt;
    ccitt.poly = QStringLiteral("1021");
    ccitt.revPoly = false;
    ccitt.revTable = true;
    ccitt.rev = true;
    QTest::newRow("CCITT") << ccitt << digits << "29B1";
    Settings mixed;
    mixed.rev = true;
    QTest::newRow("mixed orientation") << mixed << digits << "D641";
}

void CalculateTest::results() {
    QFETCH(Settings, settings);
    QFETCH(QString, memo);
    QFETCH(QString, result);
    Calculator c;
    c.Apply(settings);
    QCOMPARE(c.Calculate(memo), result);
    QVERIFY(c.p.dialogs.messages.empty());
}

void CalculateTest::bytesReachTheEngineUnchangedInTextMode() {
    Calculator c;
    Settings text;
    text.hex = false;
    c.Apply(text);
    // Bytes that are not UTF-8, a no-break space and a line separator must all
    // reach the engine as they were put in; line breaks count as CR LF.
    const std::string bytes("A\xA0\xFF\xC2\xA0 \xE2\x80\xA8\xC0\x80\r\nz\x80", 15);
    SetMemoText(*c.Memo(), bytes);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint16_t expected = CalcCrc16(data, 15, 0xFFFF, 0x8005, true, true, true);
    QCOMPARE(c.Press(), QString::asprintf("%04X", expected));

    c.Memo()->setPlainText(QStringLiteral("a\u00A0b"));
    const std::uint8_t typed[] = {'a', 0xC2, 0xA0, 'b'};
    QCOMPARE(c.Press(),
             QString::asprintf("%04X", CalcCrc16(typed, 4, 0xFFFF, 0x8005, true, true, true)));
}

void CalculateTest::missingInputIsReportedInOrder_data() {
    QTest::addColumn<QString>("init");
    QTest::addColumn<QString>("poly");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("message");
    QTest::newRow("init") << ""
                          << "8005"
                          << "01" << u"请输入初始值！"_qs;
    QTest::newRow("init before memo") << ""
                                      << "8005"
                                      << "" << u"请输入初始值！"_qs;
    QTest::newRow("polynomial") << "FFFF"
                                << ""
                                << "" << u"请输入多项式值"_qs;
    QTest::newRow("memo") << "FFFF"
                          << "8005"
                          << "" << u"文本不能为空！"_qs;
}

void CalculateTest::missingInputIsReportedInOrder() {
    QFETCH(QString, init);
    QFETCH(QString, poly);
    QFETCH(QString, memo);
    QFETCH(QString, message);
    Calculator c;
    Settings s;
    s.init = init;
    s.poly = poly;
    c.Apply(s);
    c.Result()->setText(QStringLiteral("BEEF"));
    QCOMPARE(c.Calculate(memo), QStringLiteral("BEEF"));
    QCOMPARE(c.p.dialogs.messages.size(), size_t(1));
    const auto& box = c.p.dialogs.messages.front();
    QCOMPARE(box.text, message);
    QCOMPARE(box.caption, u"提示"_qs);
    QCOMPARE(box.icon, MsgIcon::None);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(box.owner, c.p.form1.get());
}

void CalculateTest::badTokenSelectsItAndEmptiesTheResult_data() {
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("memo");
    // Where the selection starts in the memo's cursor positions, which count a
    // line break once, and what it covers.
    QTest::addColumn<int>("cursorStart");
    QTest::addColumn<QString>("selected");
    QTest::newRow("second token") << true << "31 3G 33" << 3 << "3G";
    QTest::newRow("line break only") << true << "\n" << 0 << "\u2029";
    QTest::newRow("blanks only") << true << "   " << 0 << "  ";
    QTest::newRow("nine significant digits") << true << "01 02 100000000" << 6 << "10";
    QTest::newRow("quoted token with a blank") << true << "\"41 42\"" << 0 << "\"4";
    QTest::newRow("prefix") << true << "0x1F" << 0 << "0x";
    // Position 6 of the memo text is the LF of its CR LF: the selection starts
    // after the break and, two memo characters long, covers only "3".
    QTest::newRow("position counts CR LF as two") << true << "31 32\n3G" << 6 << "3";
}

void CalculateTest::badTokenSelectsItAndEmptiesTheResult() {
    QFETCH(bool, hex);
    QFETCH(QString, memo);
    QFETCH(int, cursorStart);
    QFETCH(QString, selected);
    Calculator c;
    QVERIFY(c.p.ShowActive());
    Settings s;
    s.hex = hex;
    c.Apply(s);
    c.Result()->setText(QStringLiteral("BEEF"));
    bool resultKeptWhileBoxUp = false;
    c.p.dialogs.onMessage = [&](const FakeDialogs::Message&) {
        resultKeptWhileBoxUp = c.Result()->text() == QStringLiteral("BEEF");
    };
    QCOMPARE(c.Calculate(memo), QString());
    QVERIFY(resultKeptWhileBoxUp);
    QCOMPARE(c.p.dialogs.messages.size(), size_t(1));
    const auto& box = c.p.dialogs.messages.front();
    QCOMPARE(box.text, u"存在无效16进制！"_qs);
    QCOMPARE(box.caption, u"错误"_qs);
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(QApplication::focusWidget(), c.Memo());
    const MemoCursor cursor = c.Memo()->textCursor();
    QCOMPARE(cursor.selectionStart(), cursorStart);
    QCOMPARE(cursor.selectedText(), selected);
}

void CalculateTest::emptyXorFieldReachesTheErrorReport() {
    Calculator c;
    Settings s;
    s.xorOut = true;
    s.xorValue = QString();
    c.Apply(s);
    c.Result()->setText(QStringLiteral("BEEF"));
    QCOMPARE(c.Calculate(QStringLiteral("01")), QStringLiteral("BEEF"));
    QCOMPARE(c.p.dialogs.messages.size(), size_t(1));
    const auto& box = c.p.dialogs.messages.front();
    QCOMPARE(box.text, QStringLiteral("'$' is not a valid integer value."));
    QCOMPARE(box.caption, QStringLiteral("Quenfold"));
    QCOMPARE(box.icon, MsgIcon::Critical);

    // With XOR-out off the field is never read.
    c.p.dialogs.messages.clear();
    c.p.Find<QCheckBox>("CheckBox1")->setChecked(false);
    QCOMPARE(c.Press(), QStringLiteral("807E"));
    QVERIFY(c.p.dialogs.messages.empty());
}

QTEST_MAIN(CalculateTest)
#include "Calculate_test.moc"
