// A label that reports clicks, for the about window's address links.
#pragma once

#include "errorreport.h"

#include <QLabel>
#include <QMouseEvent>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    // A click is a press and a release on the label, as for a button.
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Guard([this] { emit clicked(); });
    }
};
