#pragma once
// The refresh button of the title bar. While a page loads it plays a 30-frame turn
// (frame-0.png ... frame-29.png, one frame every 30 ms) over its picture "refresh"; at rest
// its icon label shows reload0.png. Stopping only asks for a stop: the turn in progress
// always completes before reload0.png comes back.

#include "widgets/qtimagebutton.h"

class QLabel;
class QTimer;

class QtReloadButton : public QtImageButton {
  Q_OBJECT
public:
  static constexpr int kFrames = 30;
  static constexpr int kIntervalMs = 30;

  explicit QtReloadButton(QWidget *parent = nullptr);

  bool isAnimating() const;
  bool stopRequested() const { return m_stopRequested; }
  int frame() const { return m_frame; }
  // The picture the icon label shows now.
  QString currentFrameImage() const { return m_frameImage; }
  QLabel *iconLabel() const { return m_iconLabel; }

public slots:
  void startAnimation();
  void stopAnimation();
  // One timer tick (public so that the turn can be stepped without waiting).
  void onTimer();

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  void showFrameImage(const QString &fileName);

  QLabel *m_iconLabel = nullptr;
  QTimer *m_timer = nullptr;
  int m_frame = 0;
  bool m_stopRequested = false;
  QString m_frameImage;
};
