#include "Startup.h"

#include "Help.h"
#include "MainForm.h"
#include "about.h"
#include "apptitle.h"
#include "code.h"
#include "errorreport.h"
#include "fonts.h"
#include "text.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <memory>

StartRequest ReadStartArguments(const QStringList& arguments) {
    StartRequest request;
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && argument.size() > 1 && argument.startsWith(QLatin1Char('-'))) {
            request.usageError = QStringLiteral("unknown option '%1'").arg(argument);
            return request;
        } else if (request.file) {
            request.usageError =
                QStringLiteral("one file at most, not '%1' and '%2'").arg(*request.file, argument);
            return request;
        } else {
            request.file = argument;
        }
    }
    return request;
}

int RunWindows(Dialogs& dialogs, const std::optional<QString>& file) {
    const QString title = ApplicationTitleFromPath(QCoreApplication::applicationFilePath());
    QCoreApplication::setApplicationName(title);
    InstallFontSubstitutes();
    QuietMissingScriptWarnings();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quenfold.png")));
    InstallErrorReport(&dialogs, title);

    // Created hidden, in this order, and kept until exit; closing a side
    // window only hides it.
    auto form1 = std::make_unique<TForm1>(dialogs);
    Form1 = form1.get();
    auto form2 = std::make_unique<TForm2>();
    Form2 = form2.get();
    auto form3 = std::make_unique<TForm3>(dialogs);
    Form3 = form3.get();
    auto form4 = std::make_unique<TForm4>();
    Form4 = form4.get();
    auto form5 = std::make_unique<TForm5>();
    Form5 = form5.get();

    Form1->show();
    // From the event loop, so that a failure is reported over the window.
    if (file)
        QTimer::singleShot(0, Form1, [name = *file] { Guard([&] { Form1->ImportFile(name); }); });
    const int result = QApplication::exec();
    InstallErrorReport(nullptr, QString());
    Form5 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    return result;
}
