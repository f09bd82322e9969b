// Random characters send the layout looking for fonts the test machine lacks;
// those warnings say nothing about the program. Call from initTestCase().
#pragma once

#include <QString>
#include <QtGlobal>

inline QtMessageHandler previousMessageHandler = nullptr;

inline void DropMissingFontWarnings(QtMsgType type, const QMessageLogContext& context,
                                    const QString& message) {
    if (!message.contains(QLatin1String("OpenType support missing")))
        previousMessageHandler(type, context, message);
}

inline void QuietFontWarnings() {
    previousMessageHandler = qInstallMessageHandler(DropMissingFontWarnings);
}
