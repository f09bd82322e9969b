// Window placement arithmetic, kept free of widgets so it can be tested alone.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

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

// The two above applied to a real window, from the platform's screen metrics.
void CentreOnPrimaryScreen(QWidget* window);
void CentreOverWindow(QWidget* window, const QWidget* owner);
