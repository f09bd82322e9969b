#pragma once

#include "errorreport.h"

#include <QFocusEvent>
#include <QLineEdit>

// A result field: entering it by keyboard leaves its text unselected, where
// a plain line edit would select everything.
class TReadOnlyEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        Guard([this] { deselect(); });
    }
};
