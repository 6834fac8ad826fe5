#pragma once
// Drives a whiteboard library from a test: pointer drags on its render window and pictures of it.

#include <QImage>
#include <QPoint>
#include <QVector>

class BoardSDK;
class QWidget;

namespace boarddriver {

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 360;

// Presses at the first point, moves through the others, releases at the last.
void drag(QWidget *view, const QVector<QPoint> &points);
// The render window painted at kPictureWidth x kPictureHeight, after pending repaints.
QImage picture(BoardSDK &board);
// Feeds every piece of action data to another library.
void replay(BoardSDK &to, const QList<QByteArray> &actions);

} // namespace boarddriver
