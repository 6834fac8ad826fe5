#include "boarddriver.h"

#include "sdk/board/boardsdk.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace boarddriver {

namespace {
void send(QWidget *view, QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(view, &event);
}
} // namespace

void drag(QWidget *view, const QVector<QPoint> &points) {
  send(view, QEvent::MouseButtonPress, points.first(), Qt::LeftButton);
  for (int i = 1; i < points.size(); ++i)
    send(view, QEvent::MouseMove, points[i], Qt::LeftButton);
  send(view, QEvent::MouseButtonRelease, points.last(), Qt::NoButton);
}

QImage picture(BoardSDK &board) {
  QWidget *view = board.getRenderWindow();
  view->resize(kPictureWidth, kPictureHeight);
  QCoreApplication::processEvents();
  return view->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void replay(BoardSDK &to, const QList<QByteArray> &actions) {
  for (const QByteArray &data : actions)
    to.appendActionsData(data.constData(), uint32_t(data.size()));
}

} // namespace boarddriver
