#include "FakeDialogs.h"
#include "application.h"
#include "apptitle.h"
#include "dialogs.h"
#include "errorreport.h"
#include "placement.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <stdexcept>

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void applicationTitle_data();
    void applicationTitle();
    void errorReportText_data();
    void errorReportText();
    void guardShowsTheErrorAndLetsTheProgramRunOn();
    void guardIsSilentOnAbort();
    void notifyStopsExceptionsFromEventHandlers();
    void centredOnScreen_data();
    void centredOnScreen();
    void centredOver_data();
    void centredOver();
    void helpPlacement_data();
    void helpPlacement();
    void fileFilter_data();
    void fileFilter();
    void shellUrl_data();
    void shellUrl();
    void fileDialogs();
};

void PlatformTest::applicationTitle_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("lower case") << "/usr/bin/quenfold"
                                << "Quenfold";
    QTest::newRow("several dots") << "/opt/My.Tool.exe"
                                  << "My";
    QTest::newRow("upper case") << "/tmp/CALC.EXE"
                                << "Calc";
    QTest::newRow("bare name") << "quenfold"
                               << "Quenfold";
    QTest::newRow("dot in folder only") << "/home/a.b/tool"
                                        << "Tool";
    QTest::newRow("hidden file") << "/usr/bin/.quenfold"
                                 << "";
    QTest::newRow("non-ascii") << u"/x/ÄBC.run"_qs << u"Äbc"_qs;
}

void PlatformTest::applicationTitle() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitleFromPath(path), title);
}

void PlatformTest::errorReportText_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("letter") << QByteArray("'$' is not a valid integer value")
                            << QByteArray("'$' is not a valid integer value.");
    QTest::newRow("full stop") << QByteArray("Done.") << QByteArray("Done.");
    QTest::newRow("exclamation") << QByteArray("Stop!") << QByteArray("Stop!");
    QTest::newRow("parenthesis") << QByteArray("(x)") << QByteArray("(x)");
    QTest::newRow("blank") << QByteArray("a ") << QByteArray("a ");
    QTest::newRow("slash sorts after") << QByteArray("a/") << QByteArray("a/.");
    QTest::newRow("digit") << QByteArray("I/O error 5") << QByteArray("I/O error 5.");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("multi-byte last character")
        << QByteArray("存在无效16进制！") << QByteArray("存在无效16进制！.");
}

void PlatformTest::errorReportText() {
    QFETCH(QByteArray, message);
    QFETCH(QByteArray, shown);
    QCOMPARE(QByteArray::fromStdString(ErrorReportText(message.toStdString())), shown);
}

void PlatformTest::guardShowsTheErrorAndLetsTheProgramRunOn() {
    FakeDialogs dialogs;
    InstallErrorReport(&dialogs, QStringLiteral("Quenfold"));
    bool after = false;
    Guard([] { throw std::runtime_error("'$' is not a valid integer value"); });
    Guard([&] { after = true; });
    QVERIFY(after);
    QCOMPARE(dialogs.messages.size(), size_t(1));
    const auto& box = dialogs.messages.front();
    QCOMPARE(box.text, QStringLiteral("'$' is not a valid integer value."));
    QCOMPARE(box.caption, QStringLiteral("Quenfold"));
    QCOMPARE(box.icon, MsgIcon::Critical);
    QCOMPARE(box.buttons, MsgButtons::Ok);
    InstallErrorReport(nullptr, QString());
}

void PlatformTest::guardIsSilentOnAbort() {
    FakeDialogs dialogs;
    InstallErrorReport(&dialogs, QStringLiteral("Quenfold"));
    Guard([] { throw EAbort(); });
    QVERIFY(dialogs.messages.empty());
    InstallErrorReport(nullptr, QString());
}

namespace {

class ThrowingObject : public QObject {
protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("boom");
        return QObject::event(event);
    }
};

} // namespace

void PlatformTest::notifyStopsExceptionsFromEventHandlers() {
    FakeDialogs dialogs;
    InstallErrorReport(&dialogs, QStringLiteral("Title"));
    ThrowingObject target;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&target, &event);
    QCOMPARE(dialogs.messages.size(), size_t(1));
    QCOMPARE(dialogs.messages.front().text, QStringLiteral("boom."));
    InstallErrorReport(nullptr, QString());
}

void PlatformTest::centredOnScreen_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("fits") << QSize(1920, 1080) << QSize(551, 562) << QRect(0, 0, 1920, 1080)
                          << QPoint(684, 259);
    QTest::newRow("odd difference truncates")
        << QSize(1025, 769) << QSize(100, 100) << QRect(0, 0, 1025, 769) << QPoint(462, 334);
    QTest::newRow("window larger than screen truncates towards zero")
        << QSize(800, 600) << QSize(901, 703) << QRect(-2000, -1000, 4000, 3000)
        << QPoint(-50, -51);
    QTest::newRow("raised to desktop origin")
        << QSize(800, 600) << QSize(901, 703) << QRect(0, 0, 800, 600) << QPoint(0, 0);
    QTest::newRow("negative desktop origin leaves it alone")
        << QSize(1280, 1024) << QSize(551, 562) << QRect(-1280, -200, 2560, 1224)
        << QPoint(364, 231);
}

void PlatformTest::centredOnScreen() {
    QFETCH(QSize, screen);
    QFETCH(QSize, outer);
    QFETCH(QRect, desktop);
    QFETCH(QPoint, expected);
    QCOMPARE(CentredOnScreen(screen, outer, desktop), expected);
}

void PlatformTest::centredOver_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("over") << QRect(100, 50, 551, 562) << QSize(506, 504) << QRect(0, 0, 1920, 1080)
                          << QPoint(122, 79);
    QTest::newRow("larger than owner, truncating")
        << QRect(10, 10, 100, 100) << QSize(301, 101) << QRect(-500, -500, 3000, 3000)
        << QPoint(-90, 10);
    QTest::newRow("clamped left and top") << QRect(-300, -300, 100, 100) << QSize(50, 50)
                                          << QRect(-200, -100, 3000, 3000) << QPoint(-200, -100);
}

void PlatformTest::centredOver() {
    QFETCH(QRect, owner);
    QFETCH(QSize, outer);
    QFETCH(QRect, desktop);
    QFETCH(QPoint, expected);
    QCOMPARE(CentredOver(owner, outer, desktop), expected);
}

void PlatformTest::helpPlacement_data() {
    QTest::addColumn<QRect>("owner");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("expected");
    const QRect desktop(0, 0, 1920, 1080);
    QTest::newRow("even difference")
        << QRect(100, 100, 406, 284) << QSize(366, 244) << desktop << QPoint(120, 120);
    QTest::newRow("half rounds down to even")
        << QRect(100, 100, 407, 285) << QSize(366, 244) << desktop << QPoint(120, 120);
    QTest::newRow("half rounds up to even")
        << QRect(100, 100, 409, 287) << QSize(366, 244) << desktop << QPoint(122, 122);
    QTest::newRow("negative half to zero")
        << QRect(0, 0, 365, 243) << QSize(366, 244) << desktop << QPoint(0, 0);
    QTest::newRow("raised to the left edge") << QRect(-600, 10, 400, 300) << QSize(366, 244)
                                             << QRect(-100, 0, 2020, 1080) << QPoint(-100, 38);
    QTest::newRow("pulled back from the right edge")
        << QRect(1700, 900, 400, 300) << QSize(366, 244) << desktop << QPoint(1554, 836);
    QTest::newRow("right edge measured from zero, not from a negative origin")
        << QRect(1000, 100, 406, 284) << QSize(366, 244) << QRect(-1280, 0, 2560, 1024)
        << QPoint(1020, 120);
    QTest::newRow("wider than the desktop: right edge rule wins")
        << QRect(0, 0, 400, 300) << QSize(366, 244) << QRect(50, 0, 300, 1080) << QPoint(-66, 28);
}

void PlatformTest::helpPlacement() {
    QFETCH(QRect, owner);
    QFETCH(QSize, outer);
    QFETCH(QRect, desktop);
    QFETCH(QPoint, expected);
    QCOMPARE(HelpPlacement(owner, outer, desktop), expected);
}

void PlatformTest::fileFilter_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("open") << u"文本文件(*.txt)|*.txt|二进制文件(*.bin)|*.bin|所有文件|*.*"_qs
                          << u"文本文件(*.txt);;二进制文件(*.bin);;所有文件 (*)"_qs;
    QTest::newRow("save") << u"文本文件(*.txt)|*.txt"_qs << u"文本文件(*.txt)"_qs;
    QTest::newRow("several patterns") << u"Data|*.bin;*.dat"_qs << u"Data (*.bin *.dat)"_qs;
}

void PlatformTest::fileFilter() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtFileFilter(filter), qt);
}

void PlatformTest::shellUrl_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("url");
    QTest::newRow("bare host name") << "www.example.org" << QUrl("http://www.example.org");
    QTest::newRow("mail") << "mailto:mail@example.org" << QUrl("mailto:mail@example.org");
    QTest::newRow("web address") << "https://example.org/a?b=1"
                                 << QUrl("https://example.org/a?b=1");
    QTest::newRow("file") << "/tmp/notes.txt" << QUrl::fromLocalFile("/tmp/notes.txt");
}

void PlatformTest::shellUrl() {
    QFETCH(QString, target);
    QFETCH(QUrl, url);
    QCOMPARE(ShellUrl(target), url);
}

// The program's file dialogs take a name that does not exist, start in the
// folder of the file chosen last, name a file's type by its name alone, and
// let an existing file be chosen for saving whether or not it may be written.
void PlatformTest::fileDialogs() {
    QTemporaryDir dir;
    QFile pdf(dir.filePath(QStringLiteral("contents")));
    QVERIFY(pdf.open(QIODevice::WriteOnly) && pdf.write("%PDF-1.4\n") > 0);
    pdf.close();
    QString startedIn;
    QString type;
    bool saveUsable = false;
    const auto answer = [&](const QString& name) {
        QTimer::singleShot(0, [&, name] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            startedIn = dialog->directory().absolutePath();
            type = dialog->iconProvider()->type(QFileInfo(pdf.fileName()));
            dialog->selectFile(name);
            // As Qt greys it for a file the user may not write.
            if (auto* box = dialog->findChild<QDialogButtonBox*>();
                box && box->button(QDialogButtonBox::Save)) {
                box->button(QDialogButtonBox::Save)->setEnabled(false);
                saveUsable = box->button(QDialogButtonBox::Save)->isEnabled();
            }
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    QtDialogs dialogs;
    const QString missing = dir.filePath(QStringLiteral("missing.txt"));
    answer(missing);
    QCOMPARE(dialogs.OpenFile(nullptr, QStringLiteral("Text(*.txt)|*.txt|All|*.*")), missing);
    QCOMPARE(startedIn, QDir::currentPath());
    QVERIFY2(!type.contains(QStringLiteral("PDF")), qPrintable(type));
    answer(QStringLiteral("new.txt"));
    QCOMPARE(dialogs.SaveFile(nullptr, QStringLiteral("Text(*.txt)|*.txt"),
                              QStringLiteral("/elsewhere/old.txt")),
             dir.filePath(QStringLiteral("new.txt")));
    QCOMPARE(startedIn, dir.path());
    QVERIFY(!saveUsable);
    // An existing file stays choosable: the save itself says why it refuses.
    answer(pdf.fileName());
    QCOMPARE(dialogs.SaveFile(nullptr, QStringLiteral("Text(*.txt)|*.txt"), QString()),
             pdf.fileName());
    QVERIFY(saveUsable);
}

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    PlatformTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "platform_test.moc"
