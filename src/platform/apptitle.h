#pragma once

#include <QString>

// The program's title from the executable's path: the file name up to its
// first ".", first character upper case, the rest lower case
// ("/usr/bin/quenfold" -> "Quenfold", "My.Tool" -> "My", "CALC.EXE" -> "Calc").
QString ApplicationTitleFromPath(const QString& executablePath);
