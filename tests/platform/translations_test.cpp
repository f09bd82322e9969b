// Qt's own texts follow the user's locale where Qt has a translation for it.
#include "translations.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPushButton>
#include <QTest>

namespace {

QString CancelText() {
    const QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

QString LookInText() {
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    return dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
}

} // namespace

class TranslationsTest : public QObject {
    Q_OBJECT

private slots:
    // In this order: a translation, once installed, stays for the process.
    void aLocaleQtHasNoTranslationForChangesNothing();
    void chineseLocaleTranslatesButtonsAndFileDialogs();
};

void TranslationsTest::aLocaleQtHasNoTranslationForChangesNothing() {
    const QString cancel = CancelText();
    const QString lookIn = LookInText();
    QVERIFY(!InstallQtTranslations(QLocale(QLocale::Welsh, QLocale::UnitedKingdom)));
    QCOMPARE(CancelText(), cancel);
    QCOMPARE(LookInText(), lookIn);
    QVERIFY(cancel.contains(QLatin1String("Cancel")));
}

void TranslationsTest::chineseLocaleTranslatesButtonsAndFileDialogs() {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(folder + QStringLiteral("/qtbase_zh_CN.qm")))
        QSKIP(qPrintable(QStringLiteral("no qtbase_zh_CN.qm in %1: scripts/setup-deps installs "
                                        "Qt's translations (qt6-translations-l10n)")
                             .arg(folder)));
    QVERIFY(InstallQtTranslations(QLocale(QLocale::Chinese, QLocale::China)));
    QCOMPARE(CancelText(), QStringLiteral("取消"));
    QCOMPARE(LookInText(), QStringLiteral("查找范围："));
}

QTEST_MAIN(TranslationsTest)
#include "translations_test.moc"
