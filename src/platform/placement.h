// Window placement arithmetic, kept free of widgets so it can be tested alone.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

// Centres an outer size on the primary screen, then raises each coordinate
// to the virtual desktop's left or top edge if it lies before it.
QPoint CentredOnScreen(QSize screen, QSize outer, const QRect& virtualDesktop);

// Centres an outer size over another window's outer rectangle, with the same
// raise to the desktop's left and top edges.
QPoint CentredOver(const QRect& owner, QSize outer, const QRect& virtualDesktop);

// The help window's rule, run on every showing: centred over the owner with
// halves rounded to even, raised to the desktop's left and top edges, then
// pulled back so its right and bottom edges stay within the desktop's width
// and height (measured from zero, so the last two steps win on overlap).
QPoint HelpPlacement(const QRect& owner, QSize outer, const QRect& virtualDesktop);

// The bounding rectangle of all monitors.
QRect VirtualDesktop();

class QWidget;

// A window's frame rectangle as the window manager reports it. QWidget's own
// frameGeometry() can lag behind: it keeps the frame it saw before the window
// manager framed the window until the window next moves.
QRect OuterRect(const QWidget& window);

// Moves a window so that its frame's top left corner lies at topLeft.
void MoveFrameTo(QWidget& window, QPoint topLeft);

// Where a window's frame goes, given its outer size.
using PlacementRule = std::function<QPoint(QSize outer)>;

// Places a window by rule when it is first shown; later showings keep
// wherever the user put it.
void PlaceOnFirstShow(QWidget* window, PlacementRule rule);

// The two centring rules above, from the platform's screen metrics. The
// owner is asked for at the first showing; without one the window stays put.
void CentreOnPrimaryScreenOnFirstShow(QWidget* window);
void CentreOverOnFirstShow(QWidget* window, std::function<const QWidget*()> owner);
