#include "Help.h"
#include "MainForm.h"
#include "about.h"
#include "application.h"
#include "apptitle.h"
#include "code.h"
#include "dialogs.h"
#include "errorreport.h"
#include "fonts.h"
#include "text.h"

#include <QIcon>

#include <memory>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const QString title = ApplicationTitleFromPath(QCoreApplication::applicationFilePath());
    QCoreApplication::setApplicationName(title);
    InstallFontSubstitutes();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quenfold.png")));
    // Lets Wayland compositors and docks match the windows to the installed
    // desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENFOLD_APP_ID));

    QtDialogs dialogs;
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
    const int result = QApplication::exec();
    Form5 = nullptr;
    Form4 = nullptr;
    Form3 = nullptr;
    Form2 = nullptr;
    Form1 = nullptr;
    return result;
}
