#include "fonts.h"

#include <QStringList>
#include <QtGlobal>

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    // Its Latin letters and digits are all half the width of a Chinese
    // character, so code and hexadecimal columns line up: a fixed-pitch face
    // comes first.
    QFont::insertSubstitutions(QStringLiteral("宋体"), {QStringLiteral("Noto Sans Mono CJK SC"),
                                                        QStringLiteral("Noto Serif CJK SC"),
                                                        QStringLiteral("Noto Sans CJK SC"),
                                                        QStringLiteral("WenQuanYi Micro Hei")});
    QFont::insertSubstitutions(
        QStringLiteral("Times New Roman"),
        {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
}

namespace {

QtMessageHandler nextMessageHandler = nullptr;

void DropMissingScriptWarnings(QtMsgType type, const QMessageLogContext& context,
                               const QString& message) {
    if (type == QtWarningMsg &&
        message.trimmed().startsWith(QLatin1String("OpenType support missing for ")))
        return;
    nextMessageHandler(type, context, message);
}

} // namespace

void QuietMissingScriptWarnings() {
    if (!nextMessageHandler)
        nextMessageHandler = qInstallMessageHandler(DropMissingScriptWarnings);
}
