#include "cxMaskEdit.h"

#include <QApplication>
#include <QGuiApplication>

TcxMaskEdit::TcxMaskEdit(QWidget* parent) : QLineEdit(parent) {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { UpdateFocused(); });
}

TcxMaskEdit::~TcxMaskEdit() {
    destroying_ = true;
}

void TcxMaskEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    UpdateFocused();
}

void TcxMaskEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    UpdateFocused();
}

void TcxMaskEdit::UpdateFocused() {
    if (destroying_)
        return;
    const bool now = hasFocus() && QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (now == focused_)
        return;
    focused_ = now;
    emit OnFocusChanged(this);
}
