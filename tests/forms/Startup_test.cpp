// The window program's start: a file named on the command line comes in as
// 导入 brings it in, and the command line is answered as a shell sees it.
#include "MemoEdit.h"
#include "Program.h"
#include "Startup.h"
#include "memotext.h"

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Outcome {
    QByteArray memo;
    QStringList messages;
};

QByteArray MemoBytes(const TForm1& form) {
    const std::string text = MemoText(*form.findChild<MemoEdit*>(QStringLiteral("Memo1")));
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList Texts(const FakeDialogs& dialogs) {
    QStringList texts;
    for (const FakeDialogs::Message& message : dialogs.messages)
        texts << message.text;
    return texts;
}

// `quenfold FILE`, run as main runs it, until the import has filled the memo
// or shown a message.
Outcome StartedWith(const QString& file) {
    FakeDialogs dialogs;
    Outcome outcome;
    QTimer watch;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!Form1)
            return;
        outcome.memo = MemoBytes(*Form1);
        if (!outcome.memo.isEmpty() || !dialogs.messages.empty() || clock.elapsed() > 10000)
            Form1->close();
    });
    watch.start(5);
    const int status = RunWindows(dialogs, file);
    watch.stop();
    outcome.messages = Texts(dialogs);
    return status == 0 ? outcome : Outcome{"exit status " + QByteArray::number(status), {}};
}

// The same file through the 导入 button and its dialog.
Outcome ImportedWith(const QString& file) {
    Program p;
    p.dialogs.fileAnswers.push_back(file);
    QTest::mouseClick(p.Find<QPushButton>("BtnImport"), Qt::LeftButton);
    return {MemoBytes(*p.form1), Texts(p.dialogs)};
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void fileOnTheCommandLineIsImportedAsByTheButton_data();
    void fileOnTheCommandLineIsImportedAsByTheButton();
    void commandLineAnswers_data();
    void commandLineAnswers();
};

void StartupTest::fileOnTheCommandLineIsImportedAsByTheButton_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("memo");
    QTest::newRow("text") << "a.txt" << QByteArray("line\r\nnext\r\n");
    QTest::newRow("binary") << "a.bin" << QByteArray("41 00 FF \r\n");
    QTest::newRow("missing text") << "none.txt" << QByteArray();
    QTest::newRow("missing binary") << "none.bin" << QByteArray();
}

void StartupTest::fileOnTheCommandLineIsImportedAsByTheButton() {
    QFETCH(QString, name);
    QFETCH(QByteArray, memo);
    QTemporaryDir dir;
    QFile text(dir.filePath(QStringLiteral("a.txt")));
    QFile binary(dir.filePath(QStringLiteral("a.bin")));
    QVERIFY(text.open(QIODevice::WriteOnly) && text.write("line\nnext\n") == 10);
    QVERIFY(binary.open(QIODevice::WriteOnly) && binary.write("A\0\xFF", 3) == 3);
    text.close();
    binary.close();

    const QString path = dir.filePath(name);
    const Outcome started = StartedWith(path);
    const Outcome imported = ImportedWith(path);
    QCOMPARE(started.memo, memo);
    QCOMPARE(started.memo, imported.memo);
    QCOMPARE(started.messages, imported.messages);
    QCOMPARE(started.messages.isEmpty(), !memo.isEmpty());
}

void StartupTest::commandLineAnswers_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    const QString usage = QStringLiteral("Try 'quenfold --help'.\n");
    QTest::newRow("help without a display")
        << QStringList{"--help"} << false << 0 << "Usage: quenfold [OPTION]... [FILE]\n"
        << "";
    QTest::newRow("version without a display")
        << QStringList{"--version"} << false << 0 << "quenfold " QUENFOLD_VERSION "\n"
        << "";
    QTest::newRow("no display") << QStringList{} << false << 1 << ""
                                << "quenfold: no display to open the window on";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << true << 2 << ""
                                    << "quenfold: unknown option '--bogus'\n" + usage;
    QTest::newRow("two files") << QStringList{"a.txt", "b.bin"} << true << 2 << ""
                               << "quenfold: one file at most, not 'a.txt' and 'b.bin'\n" + usage;
}

// out and err: what the streams start with.
void StartupTest::commandLineAnswers() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(variable));
    if (display)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A session sets it, and Qt warns without it.
    QTemporaryDir runtime;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(QUENFOLD), arguments);
    QVERIFY(program.waitForFinished(60000));
    const QString stdOut = QString::fromUtf8(program.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
}

QTEST_MAIN(StartupTest)
#include "Startup_test.moc"
