#include "placement.h"

#include "errorreport.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

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
    QPoint p =
        RaiseToDesktop({owner.left() + RoundHalfEven((owner.width() - outer.width()) / 2.0),
                        owner.top() + RoundHalfEven((owner.height() - outer.height()) / 2.0)},
                       desktop);
    if (p.x() + outer.width() > desktop.width())
        p.setX(desktop.width() - outer.width());
    if (p.y() + outer.height() > desktop.height())
        p.setY(desktop.height() - outer.height());
    return p;
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

// A window manager frames a window only after it is mapped; until then the
// outer size is the client size, and a window centred at its first showing
// would sit off by half its frame. Qt sends no event when the frame becomes
// known, so the placement looks for it for a while and runs once more.
class FirstShowPlacement final : public QObject {
public:
    FirstShowPlacement(QWidget* window, PlacementRule rule)
        : QObject(window), window(window), rule(std::move(rule)) {
        window->installEventFilter(this);
        framePoll.setInterval(kFramePollMs);
        connect(&framePoll, &QTimer::timeout, this, [this] { Guard([this] { PollFrame(); }); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A spontaneous show is the window system restoring the window.
        if (watched == window && event->type() == QEvent::Show && !event->spontaneous())
            Guard([this] { FirstShow(); });
        return false;
    }

private:
    static constexpr int kFramePollMs = 20;
    static constexpr int kFramePolls = 100;

    void FirstShow() {
        window->removeEventFilter(this);
        Place();
        if (!FrameKnown())
            framePoll.start();
    }

    // A frameless window, or one shown without a window manager, never gets
    // a frame; it was placed right the first time.
    void PollFrame() {
        if (FrameKnown()) {
            framePoll.stop();
            Place();
        } else if (++polls == kFramePolls || !window->isVisible()) {
            framePoll.stop();
        }
    }

    // While the window manager frames the window Qt may briefly report
    // margins that do not fit around the window.
    bool FrameKnown() const {
        const QWindow* handle = window->windowHandle();
        if (!handle)
            return false;
        const QMargins frame = handle->frameMargins();
        return !frame.isNull() && frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 &&
               frame.bottom() >= 0;
    }

    void Place() { MoveFrameTo(*window, rule(OuterRect(*window).size())); }

    QWidget* window;
    PlacementRule rule;
    QTimer framePoll;
    int polls = 0;
};

} // namespace

QRect OuterRect(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle ? window.geometry().marginsAdded(handle->frameMargins()) : window.frameGeometry();
}

// Sets the client position, which needs no frame cache, from the frame's.
void MoveFrameTo(QWidget& window, QPoint topLeft) {
    const QPoint frameToClient = window.geometry().topLeft() - OuterRect(window).topLeft();
    window.setGeometry(QRect(topLeft + frameToClient, window.size()));
}

void PlaceOnFirstShow(QWidget* window, PlacementRule rule) {
    new FirstShowPlacement(window, std::move(rule));
}

void CentreOnPrimaryScreenOnFirstShow(QWidget* window) {
    PlaceOnFirstShow(window, [window](QSize outer) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? CentredOnScreen(screen->size(), outer, VirtualDesktop())
                      : OuterRect(*window).topLeft();
    });
}

void CentreOverOnFirstShow(QWidget* window, std::function<const QWidget*()> owner) {
    PlaceOnFirstShow(window, [window, owner = std::move(owner)](QSize outer) {
        const QWidget* over = owner();
        return over ? CentredOver(OuterRect(*over), outer, VirtualDesktop())
                    : OuterRect(*window).topLeft();
    });
}
