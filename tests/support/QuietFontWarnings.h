// Random characters send the layout looking for fonts the test machine lacks;
// the program drops those warnings, and so do the tests that type them. Call
// from initTestCase().
#pragma once

#include "fonts.h"

inline void QuietFontWarnings() {
    QuietMissingScriptWarnings();
}
