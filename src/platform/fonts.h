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
