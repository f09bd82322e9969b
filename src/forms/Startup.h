// The window program's run: what its command line asks once Qt has taken
// its own options, and the five windows from start to exit.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class Dialogs;

struct StartRequest {
    // Imported at start, as 导入 imports what its dialog names.
    std::optional<QString> file;
    // Not empty when the arguments make no sense; nothing is started then.
    QString usageError;
};

// arguments: the program's name, then what Qt left of the command line.
StartRequest ReadStartArguments(const QStringList& arguments);

// Creates the five windows hidden, shows the main window, imports the file
// and runs the event loop until the main window closes. Needs the
// application object.
int RunWindows(Dialogs& dialogs, const std::optional<QString>& file);
