#pragma once
// What a view of the classroom shows, checked by its pixels where the pictures do not change
// from frame to frame: the colour bars of the test-pattern camera and the plain areas of a
// lesson slide (VP8 keeps those within the tolerance; a wrong or broken picture does not).

#include <QByteArray>
#include <QImage>
#include <QString>

class QWidgetVideoRender;

namespace classpictures {

// The test pattern at its own size in the middle of the canvas.
bool showsTestPattern(const QImage &canvas);
// The slide (I420 of the screen slide's size) in the middle of the canvas.
bool showsSlide(const QImage &canvas, const QByteArray &slide);
// The view shows userId's stream and in it the test pattern.
bool showsCameraOf(QWidgetVideoRender *view, const QString &userId);
// The tile of a member in the classroom's strip, if it has one.
QWidgetVideoRender *tileOf(const QString &userId);

} // namespace classpictures
