#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Integer division truncating towards zero, as the layout rules ask.
int Half(int value) {
    return value / 2;
}

QPoint RaiseToDesktop(QPoint p, const QRect& desktop) {
    return {std::max(p.x(), desktop.left()), std::max(p.y(), desktop.top())};
}

// Round half to even, whatever the floating-point environment says.
int RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    const auto lower = static_cast<int>(floor);
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1;
    return lower % 2 == 0 ? lower : lower + 1;
}

} // namespace

QRect VirtualDesktop() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect();
}

QPoint HelpPlacement(const QRect& owner, QSize outer, const QRect& desktop) {
    int left = owner.left() + RoundHalfEven((owner.width() - outer.width()) / 2.0);
    int top = owner.top() + RoundHalfEven((owner.height() - outer.height()) / 2.0);
    if (left < desktop.left())
        left = desktop.left();
    if (top < desktop.top())
        top = desktop.top();
    if (left + outer.width() > desktop.width())
        left = desktop.width() - outer.width();
    if (top + outer.height() > desktop.height())
        top = desktop.height() - outer.height();
    return {left, top};
}

QPoint CentredOnScreen(QSize screen, QSize outer, const QRect& virtualDesktop) {
    return RaiseToDesktop(
        {Half(screen.width() - outer.width()), Half(screen.height() - outer.height())},
        virtualDesktop);
}

QPoint CentredOver(const QRect& owner, QSize outer, const QRect& virtualDesktop) {
    return RaiseToDesktop({owner.left() + Half(owner.width() - outer.width()),
                           owner.top() + Half(owner.height() - outer.height())},
                          virtualDesktop);
}

void CentreOnPrimaryScreen(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(CentredOnScreen(screen->size(), window->frameGeometry().size(), VirtualDesktop()));
}

void CentreOverWindow(QWidget* window, const QWidget* owner) {
    window->move(
        CentredOver(owner->frameGeometry(), window->frameGeometry().size(), VirtualDesktop()));
}
