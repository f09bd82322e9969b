#include "Startup.h"
#include "application.h"
#include "dialogs.h"
#include "translations.h"

#include <QLocale>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kUsageError = 2;

const char kHelp[] = "Usage: quenfold [OPTION]... [FILE]\n"
                     "Opens the CRC calculator's window. With FILE, starts with it imported into\n"
                     "the data memo as the 导入... button imports it: a .txt file as text, a .bin\n"
                     "file as lines of hexadecimal pairs.\n"
                     "\n"
                     "  -h, --help     show this help and exit\n"
                     "      --version  show the version and exit\n"
                     "\n"
                     "Qt's own options, such as -platform and -style, are taken too.\n"
                     "The window needs a display; quenfold-crc computes the same CRCs on the\n"
                     "command line and needs none.\n";

const char kNoDisplay[] =
    "quenfold: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
    "Start it from a desktop session, or on a virtual X server: xvfb-run -a quenfold\n"
    "quenfold-crc computes the same CRCs on the command line and needs no display.\n";

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
}

bool Given(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}

// Qt aborts without a display and suggests reinstalling the program; say
// what is missing instead. A platform chosen explicitly is Qt's to check.
bool DisplayAvailable(int argc, char** argv) {
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM") ||
           Given(argc, argv, "-platform") || Given(argc, argv, "--platform");
}

} // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that they need no display.
    if (Given(argc, argv, "--help") || Given(argc, argv, "-h")) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (Given(argc, argv, "--version")) {
        std::printf("quenfold %s\n", QUENFOLD_VERSION);
        return 0;
    }
    if (!DisplayAvailable(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }

    TApplication app(argc, argv);
    const StartRequest request = ReadStartArguments(QCoreApplication::arguments());
    if (!request.usageError.isEmpty()) {
        std::fprintf(stderr, "quenfold: %s\nTry 'quenfold --help'.\n",
                     qPrintable(request.usageError));
        return kUsageError;
    }
    InstallQtTranslations(QLocale::system());
    // Lets Wayland compositors and docks match the windows to the installed
    // desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUENFOLD_APP_ID));
    QtDialogs dialogs;
    return RunWindows(dialogs, request.file);
}
