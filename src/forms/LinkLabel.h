// A label that reports clicks, for the about window's address links.
#pragma once

#include "MouseClick.h"
#include "errorreport.h"

#include <QLabel>

class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (EndsLeftClick(*this, *event))
            Guard([this] { emit clicked(); });
    }
};
