#include "MemoEdit.h"
#include "Program.h"
#include "cxMaskEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void defaults();
    void controlGeometry_data();
    void controlGeometry();
    void captions();
    void tabOrder();
    void initialFocusIsOnCalculate();
    void resizeKeepsTheParameterPanelHeight();
    void centredOnFirstShowOnly();
    void codeListingIsModelessAndSingle();
    void aboutAndHelpAreModal();
    void closeEndsTheMainWindowEvenWithTheListingOpen();
    void focusChangedOnEnterAndLeaveOnly();
    void ownModalWindowsAreNotAFocusChange();
    void parameterFieldsTakeHexDigitsOnly();
};

void MainFormTest::defaults() {
    Program p;
    QCOMPARE(p.form1->windowTitle(), QStringLiteral("Quenfold-V3.0"));
    QCOMPARE(p.form1->size(), QSize(535, 523));
    QCOMPARE(p.Find<TcxMaskEdit>("EditInit")->text(), QStringLiteral("FFFF"));
    QCOMPARE(p.Find<TcxMaskEdit>("EditEnpoly")->text(), QStringLiteral("8005"));
    QCOMPARE(p.Find<TcxMaskEdit>("xorEdit")->text(), QStringLiteral("0000"));
    QCOMPARE(p.Find<TcxMaskEdit>("cxMaskEdit1")->text(), QStringLiteral("A001"));
    auto* combo = p.Find<QComboBox>("ComboBoxCRC");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("CRC-16"));
    QCOMPARE(combo->itemText(1), QStringLiteral("CRC-32"));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(!combo->isEditable());
    for (const char* name : {"CheckBox1", "CheckBoxRevTable", "CheckBoxRev"})
        QVERIFY2(!p.Find<QCheckBox>(name)->isChecked(), name);
    for (const char* name : {"CheckBoxRevPloy", "CheckBoxHex"})
        QVERIFY2(p.Find<QCheckBox>(name)->isChecked(), name);
    QVERIFY(p.Find<MemoEdit>("Memo1")->isEmpty());
    auto* result = p.Find<QLineEdit>("EditValue");
    QVERIFY(result->text().isEmpty());
    QVERIFY(result->isReadOnly());
    for (QPushButton* button : p.form1->findChildren<QPushButton*>()) {
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->objectName()));
        QVERIFY2(!button->text().contains(u'&'), qPrintable(button->objectName()));
    }
    QCOMPARE(p.Find<QLabel>("Label4")->font().pixelSize(), 16);
    QVERIFY(p.Find<QLabel>("Label4")->font().bold());
    QCOMPARE(p.Find<QLabel>("Label4")->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(result->font().pixelSize(), 13);
    QCOMPARE(p.Find<MemoEdit>("Memo1")->font().pixelSize(), 12);
    QCOMPARE(p.form1->font().pixelSize(), 11);
}

void MainFormTest::controlGeometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"ComboBoxCRC", {63, 7, 100, 21}},      {"EditInit", {63, 36, 100, 21}},
        {"EditEnpoly", {63, 66, 100, 21}},      {"xorEdit", {63, 93, 100, 21}},
        {"cxMaskEdit1", {75, 125, 100, 21}},    {"CheckBox1", {198, 13, 70, 17}},
        {"CheckBoxRevPloy", {198, 41, 91, 17}}, {"CheckBoxRevTable", {198, 64, 60, 17}},
        {"CheckBoxRev", {198, 87, 75, 17}},     {"EditValue", {279, 126, 95, 24}},
        {"BtnCaculate", {321, 8, 85, 20}},      {"Button2", {321, 34, 85, 20}},
        {"Button1", {321, 60, 85, 20}},         {"Button3", {321, 86, 85, 20}},
        {"BtnAbout", {419, 8, 80, 20}},         {"BtnHelp", {419, 34, 80, 20}},
        {"BtnClose", {419, 60, 80, 20}},        {"Button4", {419, 86, 80, 20}},
        {"Panel_Crcup", {0, 0, 535, 160}},      {"GroupBox1", {0, 160, 535, 363}},
        {"Panel_Crcdown", {2, 15, 531, 35}},    {"Memo1", {2, 50, 531, 311}},
        {"BtnImport", {24, 8, 60, 20}},         {"BtnClear", {156, 9, 60, 20}},
        {"BtnSave", {90, 9, 60, 20}},           {"CheckBoxHex", {359, 12, 97, 17}},
    };
    for (const auto& c : controls)
        QTest::newRow(c.name) << QString::fromLatin1(c.name) << c.rect;
    const struct {
        const char* name;
        QPoint at;
    } labels[] = {{"Label1", {7, 10}}, {"Label2", {9, 39}},  {"Label3", {7, 69}},
                  {"Label5", {7, 96}}, {"Label6", {9, 131}}, {"Label4", {188, 126}}};
    for (const auto& l : labels)
        QTest::newRow(l.name) << QString::fromLatin1(l.name) << QRect(l.at, QSize());
}

void MainFormTest::controlGeometry() {
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    Program p;
    p.form1->show();
    const QWidget* widget = p.form1->findChild<QWidget*>(name);
    QVERIFY(widget);
    if (rect.size().isEmpty()) {
        // Labels size themselves to their text.
        QCOMPARE(widget->pos(), rect.topLeft());
        QCOMPARE(widget->size(), widget->sizeHint());
    } else {
        QCOMPARE(widget->geometry(), rect);
    }
}

void MainFormTest::captions() {
    Program p;
    const struct {
        const char* name;
        const char* text;
    } expected[] = {
        {"Label1", "算    法："},       {"Label2", "初始值："},
        {"Label3", "多项式："},         {"Label5", "异或值："},
        {"Label6", "逆多项式："},       {"Label4", "计算结果："},
        {"CheckBox1", "异或输出"},      {"CheckBoxRevPloy", "多项式逆序"},
        {"CheckBoxRevTable", "表逆序"}, {"CheckBoxRev", "算法逆序"},
        {"BtnCaculate", "计算"},        {"Button2", "CRC16程序"},
        {"Button1", "CRC16表"},         {"Button3", "Modbus-CRC16"},
        {"BtnAbout", "关于"},           {"BtnHelp", "帮助"},
        {"BtnClose", "退出"},           {"Button4", "CRC16-CCITT"},
        {"BtnImport", "导入..."},       {"BtnClear", "清除"},
        {"BtnSave", "保存..."},         {"CheckBoxHex", "十六进制处理"},
    };
    for (const auto& e : expected) {
        const QWidget* widget = p.form1->findChild<QWidget*>(QString::fromLatin1(e.name));
        QVERIFY2(widget, e.name);
        const QString text = widget->property("text").toString();
        QCOMPARE(text, QString::fromUtf8(e.text));
    }
    QCOMPARE(p.Find<QGroupBox>("GroupBox1")->title(), QStringLiteral("转换数据"));
    QCOMPARE(p.form2->windowTitle(), QStringLiteral("帮助"));
    QCOMPARE(p.form3->windowTitle(), QStringLiteral("关于 Quenfold"));
    QCOMPARE(p.form4->windowTitle(), QStringLiteral("CRC16 表"));
    QCOMPARE(p.form5->windowTitle(), QStringLiteral("CRC16代码"));
}

void MainFormTest::tabOrder() {
    Program p;
    QVERIFY(p.ShowActive());
    const QStringList expected = {
        "ComboBoxCRC",      "EditValue",   "BtnHelp",    "BtnClose",  "BtnAbout",
        "CheckBoxRev",      "EditInit",    "EditEnpoly", "Button1",   "Button2",
        "CheckBoxRevTable", "xorEdit",     "CheckBox1",  "Button3",   "Button4",
        "CheckBoxRevPloy",  "cxMaskEdit1", "Memo1",      "BtnImport", "BtnClear",
        "BtnSave",          "CheckBoxHex", "BtnCaculate"};
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void MainFormTest::initialFocusIsOnCalculate() {
    Program p;
    QVERIFY(p.ShowActive());
    QCOMPARE(QApplication::focusWidget(), p.Find<QWidget>("BtnCaculate"));
}

void MainFormTest::resizeKeepsTheParameterPanelHeight() {
    Program p;
    p.form1->show();
    const QRect buttonBefore = p.Find<QWidget>("Button4")->geometry();
    p.form1->resize(800, 700);
    QCOMPARE(p.Find<QWidget>("Panel_Crcup")->geometry(), QRect(0, 0, 800, 160));
    QCOMPARE(p.Find<QWidget>("GroupBox1")->geometry(), QRect(0, 160, 800, 540));
    QCOMPARE(p.Find<QWidget>("Panel_Crcdown")->geometry(), QRect(2, 15, 796, 35));
    QCOMPARE(p.Find<QWidget>("Memo1")->geometry(), QRect(2, 50, 796, 488));
    QCOMPARE(p.Find<QWidget>("Button4")->geometry(), buttonBefore);
    p.form1->resize(400, 300);
    QCOMPARE(p.Find<QWidget>("Panel_Crcup")->height(), 160);
    QCOMPARE(p.Find<QWidget>("GroupBox1")->geometry(), QRect(0, 160, 400, 140));
    QCOMPARE(p.Find<QWidget>("Memo1")->geometry(), QRect(2, 50, 396, 88));
}

void MainFormTest::centredOnFirstShowOnly() {
    Program p;
    p.form1->show();
    const QSize screen = QApplication::primaryScreen()->size();
    const QSize outer = p.form1->frameGeometry().size();
    QCOMPARE(p.form1->frameGeometry().topLeft(),
             QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    p.form1->hide();
    p.form1->move(10, 20);
    p.form1->show();
    QCOMPARE(p.form1->pos(), QPoint(10, 20));
}

void MainFormTest::codeListingIsModelessAndSingle() {
    Program p;
    QVERIFY(p.ShowActive());
    QTest::mouseClick(p.Find<QPushButton>("Button2"), Qt::LeftButton);
    QVERIFY(p.form5->isVisible());
    QVERIFY(!p.form5->isModal());
    const int windows = QApplication::topLevelWidgets().size();
    QTest::mouseClick(p.Find<QPushButton>("Button2"), Qt::LeftButton);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QVERIFY(p.form5->isVisible());
}

void MainFormTest::aboutAndHelpAreModal() {
    Program p;
    QVERIFY(p.ShowActive());
    QWidget* seen = nullptr;
    CloseNextModal(&seen);
    QTest::mouseClick(p.Find<QPushButton>("BtnAbout"), Qt::LeftButton);
    QCOMPARE(seen, p.form3.get());
    QVERIFY(!p.form3->isVisible());
    seen = nullptr;
    CloseNextModal(&seen);
    QTest::mouseClick(p.Find<QPushButton>("BtnHelp"), Qt::LeftButton);
    QCOMPARE(seen, p.form2.get());
}

void MainFormTest::closeEndsTheMainWindowEvenWithTheListingOpen() {
    Program p;
    QVERIFY(p.ShowActive());
    QTest::mouseClick(p.Find<QPushButton>("Button2"), Qt::LeftButton);
    QVERIFY(p.form5->isVisible());
    // The event loop ends by itself once the main window closes; the timer
    // only keeps a failure from hanging the test.
    QTimer::singleShot(0,
                       [&] { QTest::mouseClick(p.Find<QPushButton>("BtnClose"), Qt::LeftButton); });
    QTimer::singleShot(5000, [] { QApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!p.form1->isVisible());
    QVERIFY(p.dialogs.messages.empty());
}

void MainFormTest::focusChangedOnEnterAndLeaveOnly() {
    Program p;
    QVERIFY(p.ShowActive());
    auto* poly = p.Find<TcxMaskEdit>("EditEnpoly");
    QSignalSpy spy(poly, &TcxMaskEdit::OnFocusChanged);
    poly->setFocus(Qt::TabFocusReason);
    QCOMPARE(spy.count(), 1);
    QVERIFY(poly->IsFocused());
    poly->setText(QStringLiteral("1021"));
    QCOMPARE(spy.count(), 1);
    p.Find<QWidget>("Button1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(spy.count(), 2);
    QVERIFY(!poly->IsFocused());
    QCOMPARE(spy.at(1).at(0).value<TcxMaskEdit*>(), poly);

    // Losing and regaining the active window while the field holds the focus.
    poly->setFocus(Qt::TabFocusReason);
    QCOMPARE(spy.count(), 3);
    QApplication::setActiveWindow(nullptr);
    QCOMPARE(spy.count(), 4);
    QVERIFY(!poly->IsFocused());
    QApplication::setActiveWindow(p.form1.get());
    QCOMPARE(spy.count(), 5);
    QVERIFY(poly->IsFocused());
}

void MainFormTest::ownModalWindowsAreNotAFocusChange() {
    Program p;
    QVERIFY(p.ShowActive());
    auto* poly = p.Find<TcxMaskEdit>("EditEnpoly");
    poly->setFocus(Qt::TabFocusReason);
    QSignalSpy spy(poly, &TcxMaskEdit::OnFocusChanged);
    // A box of the program's own, such as the error report, takes the focus
    // while it is up; counting that as leaving would raise the event again
    // from inside its own report.
    bool focusLeftWhileUp = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        QApplication::setActiveWindow(modal);
        focusLeftWhileUp = QApplication::focusWidget() != poly;
        modal->close();
    });
    QDialog box(p.form1.get());
    box.exec();
    QApplication::setActiveWindow(p.form1.get());
    QCOMPARE(QApplication::focusWidget(), poly);
    QVERIFY(focusLeftWhileUp);
    QCOMPARE(spy.count(), 0);
}

// Entered by Tab, each field has its text selected; typing replaces it with
// the hex digits alone, and a ninth digit is refused.
void MainFormTest::parameterFieldsTakeHexDigitsOnly() {
    Program p;
    QVERIFY(p.ShowActive());
    for (const char* name : {"EditInit", "EditEnpoly", "xorEdit", "cxMaskEdit1"}) {
        auto* field = p.Find<TcxMaskEdit>(name);
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, "gx12 -aF3456789");
        QCOMPARE(field->text(), QStringLiteral("12aF3456"));
        field->setText(QStringLiteral("0x1F"));
        QCOMPARE(field->text(), QStringLiteral("01F"));
    }
    QVERIFY(p.dialogs.messages.empty());
}

QTEST_MAIN(MainFormTest)
#include "MainForm_test.moc"
