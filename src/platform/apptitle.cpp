#include "apptitle.h"

QString ApplicationTitleFromPath(const QString& executablePath) {
    QString name = executablePath.mid(executablePath.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.indexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    // Executables are conventionally lower case here, so the first letter is
    // raised; a surrogate pair at the start is kept whole.
    const qsizetype head = name.at(0).isHighSurrogate() && name.size() > 1 ? 2 : 1;
    return name.left(head).toUpper() + name.mid(head).toLower();
}
