#include "Program.h"
#include "Unprivileged.h"
#include "hextokens.h"
#include "memotext.h"

#include "MemoEdit.h"
#include <QCheckBox>
#include <QDir>
#include <QFile>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

const QString kOpenFilter =
    QStringLiteral("文本文件(*.txt)|*.txt|二进制文件(*.bin)|*.bin|所有文件|*.*");

class Files {
public:
    Files() {
        // Traversable by the unprivileged user some tests switch to.
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ExeOther);
        p.form1->show();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    MemoEdit* Memo() const { return p.Find<MemoEdit>("Memo1"); }
    QByteArray Text() const {
        const std::string text = MemoText(*Memo());
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    QByteArray Import(const QString& path) {
        p.dialogs.fileAnswers.push_back(path);
        QTest::mouseClick(p.Find<QPushButton>("BtnImport"), Qt::LeftButton);
        return Text();
    }
    void Save(const QString& path) {
        p.dialogs.fileAnswers.push_back(path);
        QTest::mouseClick(p.Find<QPushButton>("BtnSave"), Qt::LeftButton);
    }
    // The one box shown since the last call, or an empty text.
    QString TakeMessage() {
        if (p.dialogs.messages.size() != 1)
            return QStringLiteral("%1 boxes").arg(p.dialogs.messages.size());
        const QString text = p.dialogs.messages.front().text;
        p.dialogs.messages.clear();
        return text;
    }

    QTemporaryDir dir;
    Program p;
};

QByteArray Counting(int size) {
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

} // namespace

class ImportSaveTest : public QObject {
    Q_OBJECT

private slots:
    void importByKind_data();
    void importByKind();
    void importErrorsAreReportedWithTheMemoKept_data();
    void importErrorsAreReportedWithTheMemoKept();
    void cancelledDialogsDoNothing();
    void saveAppendsTxtAndOffersTheNameAgain();
    void saveAsksBeforeReplacing();
    void saveWritesThroughALink();
    void saveToAFolderIsAnError();
    void binaryImportSavedAndReopened();
};

void ImportSaveTest::importByKind_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("memo");
    QTest::newRow("20-byte binary")
        << "a.bin" << Counting(20)
        << QByteArray("00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F \r\n10 11 12 13 \r\n");
    QTest::newRow("16-byte binary")
        << "a.bin" << QByteArray(16, '\xab')
        << QByteArray("AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB \r\n\r\n");
    QTest::newRow("empty binary") << "a.bin" << QByteArray() << QByteArray("\r\n");
    QTest::newRow("text with lone LF and CR")
        << "a.txt" << QByteArray("a\nb\rc\r\n") << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("text with 00") << "a.txt" << QByteArray("ab\0cd", 5) << QByteArray("ab");
    QTest::newRow("text not UTF-8")
        << "a.txt" << QByteArray("\xFF\x80\xE2\x80\xA8") << QByteArray("\xFF\x80\xE2\x80\xA8");
    QTest::newRow("read-only binary")
        << "read-only.bin" << QByteArray("\x01\xFF") << QByteArray("01 FF \r\n");
    QTest::newRow("upper-case TXT is neither") << "a.TXT" << QByteArray("new") << QByteArray("old");
    QTest::newRow("Bin is neither") << "a.Bin" << QByteArray("new") << QByteArray("old");
}

// Importing replaces the memo's text and leaves the view box alone. Files
// are read-only to the unprivileged user who imports them.
void ImportSaveTest::importByKind() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, memo);
    Files f;
    f.Memo()->setPlainText(QStringLiteral("old"));
    const QString path = f.Write(name, bytes);
    QFile::setPermissions(path,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    {
        Unprivileged user;
        QCOMPARE(f.Import(path), memo);
    }
    QCOMPARE(f.p.dialogs.openFilters, QStringList{kOpenFilter});
    QVERIFY(f.p.dialogs.messages.empty());
    QVERIFY(f.p.Find<QCheckBox>("CheckBoxHex")->isChecked());
}

void ImportSaveTest::importErrorsAreReportedWithTheMemoKept_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing text") << "none.txt"
                                  << "Cannot open file \"%1\". No such file or directory.";
    QTest::newRow("missing binary") << "none.bin"
                                    << "File not found.";
    QTest::newRow("unreadable text") << "locked.txt"
                                     << "Cannot open file \"%1\". Permission denied.";
    QTest::newRow("unreadable binary") << "locked.bin"
                                       << "File access denied.";
    QTest::newRow("folder as binary") << "folder.bin"
                                      << "I/O error 21.";
    QTest::newRow("several GiB of binary") << "sparse.bin"
                                           << "Text exceeds memo capacity.";
    QTest::newRow("FIFO as text") << "fifo.txt"
                                  << "Cannot open file \"%1\". Not a regular file.";
    QTest::newRow("device as binary") << "zero.bin"
                                      << "Cannot open file \"%1\". Not a regular file.";
    QTest::newRow("read error in binary") << "mem.bin"
                                          << "Cannot read file \"%1\". Input/output error.";
}

void ImportSaveTest::importErrorsAreReportedWithTheMemoKept() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    Files f;
    QFile::setPermissions(f.Write(QStringLiteral("locked.txt"), "x"), {});
    QFile::setPermissions(f.Write(QStringLiteral("locked.bin"), "x"), {});
    QDir(f.dir.path()).mkdir(QStringLiteral("folder.bin"));
    fs::resize_file(f.Write(QStringLiteral("sparse.bin"), {}).toStdString(),
                    std::uintmax_t{6} << 30);
    QCOMPARE(::mkfifo(QFile::encodeName(f.Path(QStringLiteral("fifo.txt"))).constData(), 0666), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), f.Path(QStringLiteral("zero.bin"))));
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), f.Path(QStringLiteral("mem.bin"))));
    f.Memo()->setPlainText(QStringLiteral("old"));
    {
        // The process's memory is readable by its own user only.
        std::optional<Unprivileged> user;
        if (name != QStringLiteral("mem.bin"))
            user.emplace();
        QCOMPARE(f.Import(f.Path(name)), QByteArray("old"));
    }
    QCOMPARE(f.TakeMessage(), message.replace(QStringLiteral("%1"), f.Path(name)));
}

void ImportSaveTest::cancelledDialogsDoNothing() {
    Files f;
    f.Memo()->setPlainText(QStringLiteral("kept"));
    QTest::mouseClick(f.p.Find<QPushButton>("BtnImport"), Qt::LeftButton);
    QTest::mouseClick(f.p.Find<QPushButton>("BtnSave"), Qt::LeftButton);
    QCOMPARE(f.Text(), QByteArray("kept"));
    QCOMPARE(f.p.dialogs.saveFilters, QStringList{QStringLiteral("文本文件(*.txt)|*.txt")});
    QVERIFY(f.p.dialogs.messages.empty());
    QVERIFY(QDir(f.dir.path()).isEmpty());
}

void ImportSaveTest::saveAppendsTxtAndOffersTheNameAgain() {
    Files f;
    f.Memo()->setPlainText(QStringLiteral("a\nb"));
    f.Save(f.Path(QStringLiteral("report")));
    f.Save(f.Path(QStringLiteral("report.TXT")));
    f.Memo()->clear();
    f.Save(f.Path(QStringLiteral("empty.txt")));
    QCOMPARE(f.Read(f.Path(QStringLiteral("report.txt"))), QByteArray("a\r\nb"));
    QCOMPARE(f.Read(f.Path(QStringLiteral("report.TXT.txt"))), QByteArray("a\r\nb"));
    QCOMPARE(f.Read(f.Path(QStringLiteral("empty.txt"))), QByteArray());
    // No temporary file is left beside them.
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    QCOMPARE(f.p.dialogs.saveInitialNames,
             (QStringList{QString(), f.Path(QStringLiteral("report.txt")),
                          f.Path(QStringLiteral("report.TXT.txt"))}));
    QVERIFY(f.p.dialogs.messages.empty());
}

void ImportSaveTest::saveAsksBeforeReplacing() {
    Files f;
    const QString path = f.Write(QStringLiteral("old.txt"), "old");
    f.Memo()->setPlainText(QStringLiteral("new"));
    f.p.dialogs.messageAnswers = {MsgResult::Cancel, MsgResult::Ok};
    f.Save(path);
    QCOMPARE(f.Read(path), QByteArray("old"));
    f.Save(f.Path(QStringLiteral("old")));
    QCOMPARE(f.Read(path), QByteArray("new"));
    QCOMPARE(f.p.dialogs.messages.size(), std::size_t(2));
    for (const FakeDialogs::Message& box : f.p.dialogs.messages) {
        QCOMPARE(box.text, QStringLiteral("文件已经存在,是否替换?"));
        QCOMPARE(box.caption, QStringLiteral("提示"));
        QCOMPARE(box.buttons, MsgButtons::OkCancel);
        QCOMPARE(box.icon, MsgIcon::None);
        QCOMPARE(box.owner, f.p.form1.get());
    }
}

void ImportSaveTest::saveWritesThroughALink() {
    Files f;
    const QString target = f.Write(QStringLiteral("target.txt"), "old");
    QVERIFY(QFile::link(QStringLiteral("target.txt"), f.Path(QStringLiteral("link.txt"))));
    f.Memo()->setPlainText(QStringLiteral("new"));
    f.Save(f.Path(QStringLiteral("link.txt")));
    QCOMPARE(f.TakeMessage(), QStringLiteral("文件已经存在,是否替换?"));
    QVERIFY(QFileInfo(f.Path(QStringLiteral("link.txt"))).isSymLink());
    QCOMPARE(f.Read(target), QByteArray("new"));
}

void ImportSaveTest::saveToAFolderIsAnError() {
    Files f;
    QDir(f.dir.path()).mkdir(QStringLiteral("folder.txt"));
    f.Memo()->setPlainText(QStringLiteral("kept"));
    f.Save(f.Path(QStringLiteral("folder.txt")));
    QCOMPARE(f.TakeMessage(), QStringLiteral("Cannot create file \"%1\". Is a directory.")
                                  .arg(f.Path(QStringLiteral("folder.txt"))));
    QCOMPARE(f.Text(), QByteArray("kept"));
}

// A binary file comes back byte for byte through both views and a save.
// Its only line break is a CR LF, which the memo keeps as it is.
void ImportSaveTest::binaryImportSavedAndReopened() {
    Files f;
    QByteArray bytes = QByteArray("\r\n") + QByteArray("A\0B\0", 4);
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes += static_cast<char>(b);
    f.Import(f.Write(QStringLiteral("data.bin"), bytes));
    QCheckBox* hex = f.p.Find<QCheckBox>("CheckBoxHex");
    hex->click();
    f.Save(f.Path(QStringLiteral("view.txt")));
    hex->click();
    f.Save(f.Path(QStringLiteral("pairs.txt")));
    QVERIFY(f.p.dialogs.messages.empty());

    f.Import(f.Path(QStringLiteral("pairs.txt")));
    const HexBytes pairs = HexTextToBytes(f.Text().toStdString());
    QVERIFY(!pairs.failedIndex);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(pairs.bytes.data()),
                        qsizetype(pairs.bytes.size())),
             bytes);
    QByteArray view = bytes;
    view.replace('\0', '.');
    QCOMPARE(f.Read(f.Path(QStringLiteral("view.txt"))), view);
}

QTEST_MAIN(ImportSaveTest)
#include "ImportSave_test.moc"
