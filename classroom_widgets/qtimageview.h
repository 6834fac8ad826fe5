#pragma once
// The chat's picture viewer: downloads a picture, sizes and centres itself to it, zooms with
// the wheel and pans by dragging. Closing only hides it, so it is reused for the next picture.

#include <QDialog>
#include <QSize>

class ExLabel;
class MyScrollArea;
class QMouseEvent;
class QNetworkAccessManager;
class QNetworkReply;

class QtImageView : public QDialog {
  Q_OBJECT
public:
  static constexpr int kMinimumZoomSide = 100;
  // The label never grows past this many times the picture, nor past kMaximumSide.
  static constexpr int kMaximumZoomFactor = 8;
  static constexpr int kMaximumSide = 16384;

  explicit QtImageView(QWidget *parent = nullptr);

  void showImage(const QString &url);

  // Window size for a picture: its size plus the frame, at least 360 × 240 when both sides
  // are under that; 1366 × 730 for pictures of 1360 × 700 and more.
  static QSize windowSizeFor(const QSize &picture);
  // The label's size after one wheel step (0.9 or 1.1); the same size when the step stops at
  // the floor, at the bound, or for delta 0.
  static QSize zoomed(const QSize &label, int delta, const QSize &picture);

public slots:
  void replyFinished(QNetworkReply *reply);
  void finished();
  void onLabelMousePress(QMouseEvent *event);
  void onLabelMouseMove(QMouseEvent *event);
  void onScrollAreaWheel(int delta);

protected:
  void closeEvent(QCloseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;

private:
  void placeOnScreen(const QSize &size);

  MyScrollArea *scrollArea = nullptr;
  ExLabel *label = nullptr;
  QNetworkAccessManager *network_ = nullptr;
  QSize pictureSize_;
  int pressX = 0;
  int pressY = 0;
  int pressScrollH = 0;
  int pressScrollV = 0;
};
