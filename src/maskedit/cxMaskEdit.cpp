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
    // A modal window of the program's own (a message box, the error report)
    // takes the focus only while it is up; counting that as leaving and
    // re-entering would let a handler that reports an error raise itself
    // again from inside its own report, box after box.
    const QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->window() != window())
        return;
    const bool now = hasFocus() && QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (now == focused_)
        return;
    focused_ = now;
    emit OnFocusChanged(this);
}
