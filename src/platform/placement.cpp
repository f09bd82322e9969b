#include "placement.h"

#include "errorreport.h"

#include <QEvent>
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

namespace {

// A window manager frames a window only after it is mapped; until then Qt
// takes the client size for the outer size, and a window centred at its first
// showing would sit off by half its frame. So the rule runs again, once, as
// soon as the frame is known.
class FirstShowPlacement final : public QObject {
public:
    FirstShowPlacement(QWidget* window, PlacementRule rule)
        : QObject(window), window(window), rule(std::move(rule)) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window)
            Guard([&] { Handle(*event); });
        return false;
    }

private:
    enum class State { Unshown, AwaitingFrame, Done };

    void Handle(const QEvent& event) {
        switch (state) {
        case State::Unshown:
            // A spontaneous show is the window system restoring the window.
            if (event.type() == QEvent::Show && !event.spontaneous()) {
                state = FrameKnown() ? State::Done : State::AwaitingFrame;
                Place();
            }
            break;
        case State::AwaitingFrame:
            if (event.type() == QEvent::Hide) {
                state = State::Done;
            } else if (IsGeometryChange(event.type()) && FrameKnown()) {
                state = State::Done;
                Place();
            }
            break;
        case State::Done:
            break;
        }
    }

    static bool IsGeometryChange(QEvent::Type type) {
        return type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowActivate;
    }

    // A frameless window, or one shown without a window manager, never gets
    // a frame; it was placed right the first time.
    bool FrameKnown() const { return window->frameGeometry() != window->geometry(); }

    void Place() { window->move(rule(window->frameGeometry().size())); }

    QWidget* window;
    PlacementRule rule;
    State state = State::Unshown;
};

} // namespace

void PlaceOnFirstShow(QWidget* window, PlacementRule rule) {
    new FirstShowPlacement(window, std::move(rule));
}

void CentreOnPrimaryScreenOnFirstShow(QWidget* window) {
    PlaceOnFirstShow(window, [window](QSize outer) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? CentredOnScreen(screen->size(), outer, VirtualDesktop()) : window->pos();
    });
}

void CentreOverOnFirstShow(QWidget* window, std::function<const QWidget*()> owner) {
    PlaceOnFirstShow(window, [window, owner = std::move(owner)](QSize outer) {
        const QWidget* over = owner();
        return over ? CentredOver(over->frameGeometry(), outer, VirtualDesktop()) : window->pos();
    });
}
