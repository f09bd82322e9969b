#pragma once

class QLocale;

// Qt's own texts (standard buttons, file dialogs) in the language of the
// locale, from the translations installed beside Qt. Returns whether Qt has
// a translation for it; without one Qt's texts stay as they are.
bool InstallQtTranslations(const QLocale& locale);
