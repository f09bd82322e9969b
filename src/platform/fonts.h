#pragma once

#include <QFont>
#include <QString>

// Window layouts give character heights in pixels, which .ui files cannot express.
inline QFont PixelFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The layouts name fonts that Linux desktops rarely have; map them to free
// fonts of similar width and style so that captions fit their controls.
void InstallFontSubstitutes();

// Text in a script that needs OpenType shaping (Devanagari, Tamil, Khmer, ...)
// makes Qt try every installed font for it and warn once for each that lacks
// the script's tables: dozens of lines for one character of imported data,
// though Qt then draws it with what it has. Drops those warnings and passes
// every other message on.
void QuietMissingScriptWarnings();
