#include "errorreport.h"

#include "dialogs.h"

#include <QApplication>
#include <QString>
#include <QWidget>

namespace {

Dialogs* reportDialogs = nullptr;
QString reportTitle;

void Show(const std::string& message) {
    if (!reportDialogs)
        return;
    QWidget* owner = QApplication::activeWindow();
    reportDialogs->MessageBox(owner, QString::fromUtf8(ErrorReportText(message)), reportTitle,
                              MsgButtons::Ok, MsgIcon::Critical);
}

} // namespace

void InstallErrorReport(Dialogs* dialogs, const QString& title) {
    reportDialogs = dialogs;
    reportTitle = title;
}

std::string ErrorReportText(const std::string& message) {
    if (message.empty())
        return message;
    std::size_t last = message.size() - 1;
    // Step back over UTF-8 continuation bytes to the lead byte of the last character.
    while (last > 0 && (static_cast<unsigned char>(message[last]) & 0xC0) == 0x80)
        --last;
    if (static_cast<unsigned char>(message[last]) > static_cast<unsigned char>('.'))
        return message + '.';
    return message;
}

void ReportError(const std::exception& error) {
    Show(error.what());
}

void ReportUnknownError() {
    Show("Unknown error");
}
