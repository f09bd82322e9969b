// The code listing is C for the user to copy out: it must compile as it
// stands and compute what the program computes.
#include "code.h"
#include "memotext.h"

#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <cstdio>
#include <fstream>

namespace {

constexpr int kFirstTableLine = 47;
constexpr int kTableLines = 32;

std::string ListingText() {
    TForm5 form;
    return MemoText(*form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1")));
}

// Bit by bit, least significant bit first, for the reversed 8005.
std::uint16_t ReflectedEntry(unsigned byte) {
    std::uint16_t value = static_cast<std::uint16_t>(byte);
    for (int bit = 0; bit < 8; ++bit)
        value = (value & 1) ? static_cast<std::uint16_t>((value >> 1) ^ 0xA001) : value >> 1;
    return value;
}

QString ExpectedTableLine(int row) {
    QStringList entries;
    for (int column = 0; column < 8; ++column) {
        char entry[8];
        std::snprintf(entry, sizeof entry, "0x%04X", ReflectedEntry(8 * row + column));
        entries << QString::fromLatin1(entry);
    }
    return entries.join(QStringLiteral(", ")) + (row + 1 < kTableLines ? "," : "");
}

// Builds its own tables bit by bit, so each routine of the listing is checked
// against a table it did not bring, and the Modbus demo against the known value.
constexpr char kDriver[] = R"(#include <stdio.h>
#include "listing.c"

static unsigned short normal[256], reflected[256];

int main(void) {
  unsigned char data[] = "123456789";
  for (int b = 0; b < 256; ++b) {
    unsigned short n = (unsigned short)(b << 8), r = (unsigned short)b;
    for (int i = 0; i < 8; ++i) {
      n = (unsigned short)((n & 0x8000) ? (n << 1) ^ 0x1021 : n << 1);
      r = (unsigned short)((r & 1) ? (r >> 1) ^ 0xA001 : r >> 1);
    }
    normal[b] = n;
    reflected[b] = r;
  }
  printf("%04X %04X %04X\n", CRC_GetModbus16(data, 9), GetCrc_16(data, 9, 0xFFFF, normal),
         GetRevCrc_16(data, 9, 0, reflected));
  return 0;
}
)";

void WriteFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

} // namespace

class ListingTest : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void compilesAndComputes();
};

void ListingTest::layout() {
    const QString text = QString::fromStdString(ListingText());
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 83);
    QVERIFY(lines.last().isEmpty());
    QVERIFY(!text.contains(u'\t'));
    // Trailing blanks are part of the layout, and the first thing an editor strips.
    const QMap<int, int> trailing = {{8, 1}, {9, 1}, {17, 1}, {25, 1}, {26, 1}, {34, 1}, {38, 4}};
    for (int n = 1; n <= lines.size(); ++n) {
        const QString& line = lines[n - 1];
        const qsizetype kept = line.trimmed().isEmpty() ? 0 : line.size();
        qsizetype blanks = 0;
        while (blanks < kept && line[kept - 1 - blanks] == u' ')
            ++blanks;
        QVERIFY2(blanks == trailing.value(n, 0), qPrintable(QStringLiteral("line %1").arg(n)));
    }
    QCOMPARE(lines[kFirstTableLine - 1],
             QStringLiteral("0x0000, 0xC0C1, 0xC181, 0x0140, 0xC301, 0x03C0, 0x0280, 0xC241,"));
    QVERIFY(lines[kFirstTableLine + kTableLines - 2].endsWith(QStringLiteral(", 0x4040")));
    for (int row = 0; row < kTableLines; ++row)
        QCOMPARE(lines[kFirstTableLine - 1 + row], ExpectedTableLine(row));
}

void ListingTest::compilesAndComputes() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath(QStringLiteral("listing.c")), ListingText());
    WriteFile(dir.filePath(QStringLiteral("driver.c")), kDriver);

    QProcess compiler;
    compiler.setWorkingDirectory(dir.path());
    compiler.start(QStringLiteral("cc"), {"-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                          "-o", "driver", "driver.c"});
    QVERIFY2(compiler.waitForFinished(60000), "the C compiler did not run");
    QVERIFY2(compiler.exitStatus() == QProcess::NormalExit && compiler.exitCode() == 0,
             compiler.readAllStandardError().constData());

    QProcess driver;
    driver.start(dir.filePath(QStringLiteral("driver")), {});
    QVERIFY(driver.waitForFinished(10000));
    QCOMPARE(driver.exitCode(), 0);
    // Modbus; the forward routine as CRC-16/CCITT-FALSE; the reversed one as CRC-16/ARC.
    QCOMPARE(driver.readAllStandardOutput(), QByteArray("4B37 29B1 BB3D\n"));
}

QTEST_MAIN(ListingTest)
#include "Listing_test.moc"
