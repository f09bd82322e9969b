#include "Program.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs check while the modal window is up, then closes it if check did not.
int WhileUp(QDialog* window, std::function<void()> check) {
    QTimer::singleShot(0, window, [window, check = std::move(check)] {
        check();
        if (window->isVisible())
            window->reject();
    });
    return window->exec();
}

void Click(QWidget* widget, QPoint at = QPoint()) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
}

} // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void helpClosesOnBackgroundClicksOnly();
    void helpRecentresOnEveryShowing();
    void aboutLinksGoToTheShell();
    void aboutKeepsPlaceNotesAndFocus();
    void listingKeepsEditsAndPlace();
};

void SideWindowsTest::helpClosesOnBackgroundClicksOnly() {
    Program p;
    QVERIFY(p.ShowActive());
    TForm2* help = p.form2.get();
    bool openAfterLabel = false;
    bool openAfterEscape = false;
    const QPoint betweenLines(300, 36);
    const int result = WhileUp(help, [&] {
        Click(help->findChild<QLabel*>(QStringLiteral("Label1")));
        openAfterLabel = help->isVisible();
        QTest::keyClick(help, Qt::Key_Escape);
        openAfterEscape = help->isVisible();
        QVERIFY(!help->childAt(betweenLines));
        Click(help, betweenLines);
    });
    QVERIFY(openAfterLabel);
    QVERIFY(openAfterEscape);
    QVERIFY(!help->isVisible());
    QCOMPARE(result, int(QDialog::Rejected));
}

// The main window's outer size here is 539 x 527: 539 - 366 = 173 and
// 527 - 244 = 283 both halve to .5, one rounding down to the even neighbour
// and one up.
void SideWindowsTest::helpRecentresOnEveryShowing() {
    Program p;
    QVERIFY(p.ShowActive());
    QCOMPARE(p.form1->frameGeometry().size(), QSize(539, 527));
    for (const auto& [main, help] : {std::pair{QPoint(100, 100), QPoint(186, 242)},
                                     std::pair{QPoint(301, 20), QPoint(387, 162)}}) {
        p.form1->move(main);
        QPoint shownAt;
        WhileUp(p.form2.get(), [&] { shownAt = p.form2->pos(); });
        QCOMPARE(shownAt, help);
    }
}

void SideWindowsTest::aboutLinksGoToTheShell() {
    Program p;
    QVERIFY(p.ShowActive());
    TForm3* about = p.form3.get();
    auto* web = about->findChild<QLabel*>(QStringLiteral("Label5"));
    auto* mail = about->findChild<QLabel*>(QStringLiteral("Label6"));
    const QString webText = web->text();
    const QString mailText = mail->text();
    bool openAfterClicks = false;
    WhileUp(about, [&] {
        Click(web);
        Click(mail);
        // The caption at the time of the click is what goes out.
        web->setText(QStringLiteral("changed.example.org"));
        Click(web);
        openAfterClicks = about->isVisible();
    });
    QVERIFY(openAfterClicks);
    const auto& calls = p.dialogs.shellCalls;
    QCOMPARE(calls.size(), size_t(3));
    QCOMPARE(calls[0].owner, nullptr);
    QCOMPARE(calls[0].verb, QStringLiteral("open"));
    QCOMPARE(calls[0].target, webText);
    QCOMPARE(calls[0].show, ShowCommand::Normal);
    QCOMPARE(calls[1].owner, about);
    QVERIFY(calls[1].verb.isNull());
    QCOMPARE(calls[1].target, QStringLiteral("mailto:") + mailText);
    QCOMPARE(calls[1].show, ShowCommand::Restore);
    QCOMPARE(calls[2].target, QStringLiteral("changed.example.org"));
    QVERIFY(p.dialogs.messages.empty());
}

void SideWindowsTest::aboutKeepsPlaceNotesAndFocus() {
    Program p;
    QVERIFY(p.ShowActive());
    TForm3* about = p.form3.get();
    auto* notes = about->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    auto* ok = about->findChild<QPushButton*>(QStringLiteral("Button1"));
    QCOMPARE(notes->document()->blockCount(), 21);
    QWidget* firstFocus = nullptr;
    const int result = WhileUp(about, [&] {
        firstFocus = about->focusWidget();
        about->move(7, 9);
        notes->appendPlainText(QStringLiteral("edited"));
        notes->setFocus();
        Click(ok);
    });
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(firstFocus, ok);
    const QString edited = notes->toPlainText();
    QPoint shownAt;
    QWidget* secondFocus = nullptr;
    WhileUp(about, [&] {
        shownAt = about->pos();
        secondFocus = about->focusWidget();
    });
    QCOMPARE(shownAt, QPoint(7, 9));
    QCOMPARE(secondFocus, notes);
    QCOMPARE(notes->toPlainText(), edited);
    QVERIFY(edited.endsWith(QStringLiteral("\nedited")));
}

void SideWindowsTest::listingKeepsEditsAndPlace() {
    Program p;
    QVERIFY(p.ShowActive());
    auto* show = p.Find<QPushButton>("Button2");
    auto* memo = p.form5->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    Click(show);
    QVERIFY(QTest::qWaitForWindowActive(p.form5.get()));
    memo->appendPlainText(QStringLiteral("// mine"));
    const QString edited = memo->toPlainText();
    p.form5->move(11, 12);
    p.form5->close();
    QVERIFY(!p.form5->isVisible());
    QApplication::setActiveWindow(p.form1.get());
    Click(show);
    QVERIFY(QTest::qWaitForWindowActive(p.form5.get()));
    QCOMPARE(p.form5->pos(), QPoint(11, 12));
    QCOMPARE(memo->toPlainText(), edited);
    // Shown again while visible and behind the main window: brought to the front.
    QApplication::setActiveWindow(p.form1.get());
    Click(show);
    QVERIFY(QTest::qWaitForWindowActive(p.form5.get()));
    QCOMPARE(memo->toPlainText(), edited);
}

QTEST_MAIN(SideWindowsTest)
#include "SideWindows_test.moc"
