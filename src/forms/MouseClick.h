#pragma once

#include <QMouseEvent>
#include <QWidget>

// A click is a left-button press and release on the same widget: Qt sends the
// release to the widget that took the press, so the release must fall inside it.
inline bool EndsLeftClick(const QWidget& widget, const QMouseEvent& release) {
    return release.button() == Qt::LeftButton &&
           widget.rect().contains(release.position().toPoint());
}
