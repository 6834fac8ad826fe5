#pragma once
// Whether the window system blends translucent windows with what lies beneath them. X11
// without a compositing manager does not: a translucent window's clear pixels come out
// black. Windows that rely on translucency (shadows, rounded cards) ask here and fall back.

#include <QPixmap>
#include <QRect>

class QWidget;

namespace compositing {
bool translucentWindowsBlend();
// The screen's content in rect (global coordinates), taken on the screen of widget.
QPixmap grabScreen(QWidget *widget, const QRect &rect);
} // namespace compositing
