#include "MemoEdit.h"
#include "Program.h"
#include "cxMaskEdit.h"
#include "memotext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

QString Text(const Program& p, const char* field) {
    return p.Find<TcxMaskEdit>(field)->text();
}

bool Checked(const Program& p, const char* box) {
    return p.Find<QCheckBox>(box)->isChecked();
}

void Click(const Program& p, const char* button) {
    QTest::mouseClick(p.Find<QPushButton>(button), Qt::LeftButton);
}

// Moves the focus into the polynomial field and out again, as Tab would.
void PassThroughPolynomial(const Program& p) {
    p.Find<TcxMaskEdit>("EditEnpoly")->setFocus(Qt::TabFocusReason);
    p.Find<QWidget>("Button1")->setFocus(Qt::TabFocusReason);
}

} // namespace

class PresetsTest : public QObject {
    Q_OBJECT

private slots:
    void presetsSetEveryParameter_data();
    void presetsSetEveryParameter();
    void presetsThenCalculate_data();
    void presetsThenCalculate();
    void reversedPolynomialFollowsFocusChanges_data();
    void reversedPolynomialFollowsFocusChanges();
    void kindChangeAloneLeavesTheDisplay();
    void emptyPolynomialReachesTheErrorReport();
    void tableWindow_data();
    void tableWindow();
    void tableWindowDoesNothingForCrc32();
    void tableWindowWithEmptyPolynomial();
    void tableWindowCentredOnFirstShowOnly();
};

void PresetsTest::presetsSetEveryParameter_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("poly");
    QTest::addColumn<bool>("revPoly");
    QTest::addColumn<bool>("revTable");
    QTest::addColumn<bool>("rev");
    QTest::addColumn<QString>("reversed");
    QTest::newRow("Modbus") << "Button3"
                            << "8005" << true << false << false << "A001";
    QTest::newRow("CCITT") << "Button4"
                           << "1021" << false << true << true << "8408";
}

void PresetsTest::presetsSetEveryParameter() {
    QFETCH(QString, button);
    QFETCH(QString, poly);
    QFETCH(bool, revPoly);
    QFETCH(bool, revTable);
    QFETCH(bool, rev);
    QFETCH(QString, reversed);
    Program p;
    QVERIFY(p.ShowActive());
    // Start from settings that differ from both presets in every control.
    p.Find<QComboBox>("ComboBoxCRC")->setCurrentIndex(1);
    p.Find<TcxMaskEdit>("EditInit")->setText(QStringLiteral("1234"));
    p.Find<TcxMaskEdit>("EditEnpoly")->setText(QStringLiteral("4321"));
    p.Find<TcxMaskEdit>("xorEdit")->setText(QStringLiteral("FF"));
    p.Find<TcxMaskEdit>("cxMaskEdit1")->setText(QStringLiteral("77"));
    p.Find<QCheckBox>("CheckBox1")->setChecked(true);
    p.Find<QCheckBox>("CheckBoxRevPloy")->setChecked(!revPoly);
    p.Find<QCheckBox>("CheckBoxRevTable")->setChecked(!revTable);
    p.Find<QCheckBox>("CheckBoxRev")->setChecked(!rev);
    p.Find<MemoEdit>("Memo1")->setPlainText(QStringLiteral("zz"));
    QWidget* focused = QApplication::focusWidget();

    p.form1->findChild<QPushButton*>(button)->click();

    QCOMPARE(p.Find<QComboBox>("ComboBoxCRC")->currentIndex(), 0);
    QCOMPARE(Text(p, "EditInit"), QStringLiteral("FFFF"));
    QCOMPARE(Text(p, "EditEnpoly"), poly);
    QCOMPARE(Text(p, "xorEdit"), QStringLiteral("0000"));
    QVERIFY(!Checked(p, "CheckBox1"));
    QCOMPARE(Checked(p, "CheckBoxRevPloy"), revPoly);
    QCOMPARE(Checked(p, "CheckBoxRevTable"), revTable);
    QCOMPARE(Checked(p, "CheckBoxRev"), rev);
    QCOMPARE(Text(p, "cxMaskEdit1"), reversed);
    QVERIFY(Checked(p, "CheckBoxHex"));
    QCOMPARE(p.Find<MemoEdit>("Memo1")->toPlainText(), QStringLiteral("zz"));
    QCOMPARE(QApplication::focusWidget(), focused);
    QVERIFY(p.dialogs.messages.empty());
}

void PresetsTest::presetsThenCalculate_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("result");
    QTest::newRow("Modbus") << "Button3"
                            << "4B37";
    QTest::newRow("CCITT") << "Button4"
                           << "29B1";
}

void PresetsTest::presetsThenCalculate() {
    QFETCH(QString, button);
    QFETCH(QString, result);
    Program p;
    p.form1->show();
    p.Find<MemoEdit>("Memo1")->setPlainText(QStringLiteral("31 32 33 34 35 36 37 38 39"));
    p.form1->findChild<QPushButton*>(button)->click();
    Click(p, "BtnCaculate");
    QCOMPARE(p.Find<QLineEdit>("EditValue")->text(), result);
}

void PresetsTest::reversedPolynomialFollowsFocusChanges_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("poly");
    QTest::addColumn<QString>("reversed");
    QTest::newRow("8005") << 0 << "8005"
                          << "A001";
    QTest::newRow("1021") << 0 << "1021"
                          << "8408";
    QTest::newRow("A001") << 0 << "A001"
                          << "8005";
    QTest::newRow("bits above 15 take no part") << 0 << "18005"
                                                << "A001";
    QTest::newRow("lower case") << 0 << "a001"
                                << "8005";
    QTest::newRow("padded to four") << 0 << "8000"
                                    << "0001";
    QTest::newRow("CRC-32") << 1 << "04C11DB7"
                            << "EDB88320";
    QTest::newRow("CRC-32 of a 16-bit value") << 1 << "8005"
                                              << "A0010000";
    QTest::newRow("CRC-32 padded to eight") << 1 << "80000000"
                                            << "00000001";
}

void PresetsTest::reversedPolynomialFollowsFocusChanges() {
    QFETCH(int, kind);
    QFETCH(QString, poly);
    QFETCH(QString, reversed);
    for (bool revPoly : {true, false}) {
        Program p;
        QVERIFY(p.ShowActive());
        p.Find<QComboBox>("ComboBoxCRC")->setCurrentIndex(kind);
        p.Find<QCheckBox>("CheckBoxRevPloy")->setChecked(revPoly);
        p.Find<TcxMaskEdit>("EditEnpoly")->setFocus(Qt::TabFocusReason);
        // Entering refreshes from the old text; a text set meanwhile waits for the leaving.
        const QString onEntering = Text(p, "cxMaskEdit1");
        QCOMPARE(onEntering, kind == 0 ? QStringLiteral("A001") : QStringLiteral("A0010000"));
        p.Find<TcxMaskEdit>("EditEnpoly")->setText(poly);
        QCOMPARE(Text(p, "cxMaskEdit1"), onEntering);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(Text(p, "cxMaskEdit1"), reversed);
    }
}

void PresetsTest::kindChangeAloneLeavesTheDisplay() {
    Program p;
    QVERIFY(p.ShowActive());
    p.Find<QComboBox>("ComboBoxCRC")->setCurrentIndex(1);
    QCOMPARE(Text(p, "cxMaskEdit1"), QStringLiteral("A001"));
    PassThroughPolynomial(p);
    QCOMPARE(Text(p, "cxMaskEdit1"), QStringLiteral("A0010000"));
}

void PresetsTest::emptyPolynomialReachesTheErrorReport() {
    Program p;
    QVERIFY(p.ShowActive());
    p.Find<TcxMaskEdit>("EditEnpoly")->setFocus(Qt::TabFocusReason);
    p.Find<TcxMaskEdit>("EditEnpoly")->clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(p.dialogs.messages.size(), size_t(1));
    const auto& box = p.dialogs.messages.front();
    QCOMPARE(box.text, QStringLiteral("'$' is not a valid integer value."));
    QCOMPARE(box.caption, QStringLiteral("Quenfold"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    QCOMPARE(Text(p, "cxMaskEdit1"), QStringLiteral("A001"));
    // The program runs on: a preset afterwards works as usual.
    Click(p, "Button4");
    QCOMPARE(Text(p, "cxMaskEdit1"), QStringLiteral("8408"));
}

void PresetsTest::tableWindow_data() {
    QTest::addColumn<QString>("poly");
    QTest::addColumn<bool>("revPoly");
    QTest::addColumn<bool>("revTable");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("defaults") << "8005" << true << false
                              << "0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241, "
                              << "0x8201, 0x42C0, 0x4380, 0x8341, 0x4100, 0x81C1, 0x8081, 0x4040, ";
    QTest::newRow("CCITT") << "1021" << false << true
                           << "0x0000, 0x1021, 0x2042, 0x3063, 0x4084, 0x50A5, 0x60C6, 0x70E7, "
                           << "0x6E17, 0x7E36, 0x4E55, 0x5E74, 0x2E93, 0x3EB2, 0x0ED1, 0x1EF0, ";
    QTest::newRow("no reversal, LSB-first table")
        << "8005" << false << false
        << "0x0000, 0x9705, 0x2E01, 0xB904, 0x5C02, 0xCB07, 0x7203, 0xE506, " << QString();
    QTest::newRow("bits above 15 cut before reversal")
        << "18005" << true << false
        << "0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241, " << QString();
}

void PresetsTest::tableWindow() {
    QFETCH(QString, poly);
    QFETCH(bool, revPoly);
    QFETCH(bool, revTable);
    QFETCH(QString, first);
    QFETCH(QString, last);
    Program p;
    QVERIFY(p.ShowActive());
    p.Find<TcxMaskEdit>("EditEnpoly")->setText(poly);
    p.Find<QCheckBox>("CheckBoxRevPloy")->setChecked(revPoly);
    p.Find<QCheckBox>("CheckBoxRevTable")->setChecked(revTable);
    for (int press = 0; press < 2; ++press) {
        p.form4->Memo1()->setPlainText(QStringLiteral("user text"));
        QWidget* seen = nullptr;
        CloseNextModal(&seen);
        Click(p, "Button1");
        QCOMPARE(seen, p.form4.get());
        // Every line is appended with its CR LF, the last one too.
        const std::string text = MemoText(*p.form4->Memo1());
        QCOMPARE(text.size(), size_t(32 * 66));
        QVERIFY(text.ends_with("\r\n"));
        QStringList lines = QString::fromStdString(text).split(QStringLiteral("\r\n"));
        lines.removeLast();
        QCOMPARE(lines.size(), 32);
        for (const QString& line : lines)
            QCOMPARE(line.size(), 64);
        QCOMPARE(lines.first(), first);
        if (!last.isEmpty())
            QCOMPARE(lines.last(), last);
    }
    QVERIFY(p.dialogs.messages.empty());
}

void PresetsTest::tableWindowDoesNothingForCrc32() {
    Program p;
    QVERIFY(p.ShowActive());
    p.Find<QComboBox>("ComboBoxCRC")->setCurrentIndex(1);
    p.Find<TcxMaskEdit>("EditEnpoly")->clear();
    p.form4->Memo1()->setPlainText(QStringLiteral("kept"));
    QWidget* seen = nullptr;
    CloseNextModal(&seen);
    Click(p, "Button1");
    QTest::qWait(20);
    QCOMPARE(seen, nullptr);
    QCOMPARE(p.form4->Memo1()->toPlainText(), QStringLiteral("kept"));
    QVERIFY(p.dialogs.messages.empty());
}

void PresetsTest::tableWindowWithEmptyPolynomial() {
    Program p;
    QVERIFY(p.ShowActive());
    p.Find<TcxMaskEdit>("EditEnpoly")->clear();
    p.form4->Memo1()->setPlainText(QStringLiteral("kept"));
    QWidget* seen = nullptr;
    CloseNextModal(&seen);
    Click(p, "Button1");
    QTest::qWait(20);
    QCOMPARE(seen, nullptr);
    QCOMPARE(p.form4->Memo1()->toPlainText(), QStringLiteral("kept"));
    QCOMPARE(p.dialogs.messages.size(), size_t(1));
    QCOMPARE(p.dialogs.messages.front().text, QStringLiteral("'$' is not a valid integer value."));
}

void PresetsTest::tableWindowCentredOnFirstShowOnly() {
    Program p;
    QVERIFY(p.ShowActive());
    p.form1->move(200, 100);
    QWidget* seen = nullptr;
    CloseNextModal(&seen);
    Click(p, "Button1");
    const QRect main = p.form1->frameGeometry();
    const QSize outer = p.form4->frameGeometry().size();
    QCOMPARE(p.form4->pos(), QPoint(main.left() + (main.width() - outer.width()) / 2,
                                    main.top() + (main.height() - outer.height()) / 2));
    p.form4->move(5, 6);
    CloseNextModal(&seen);
    Click(p, "Button1");
    QCOMPARE(p.form4->pos(), QPoint(5, 6));
}

QTEST_MAIN(PresetsTest)
#include "Presets_test.moc"
