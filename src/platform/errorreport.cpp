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

void ReportError(const std::exception& error) {
    Show(error.what());
}

void ReportUnknownError() {
    Show("Unknown error");
}
