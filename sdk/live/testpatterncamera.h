#pragma once
// The synthetic camera: colour bars with a bouncing block, as real I420 pictures, so that a
// machine without a camera can still go on stage. Runs on the thread it lives on.

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <functional>

namespace ilivesdk {

class TestPatternCamera : public QObject {
  Q_OBJECT
public:
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;
  static constexpr int kFramesPerSecond = 15;

  using FrameFn = std::function<void(const QByteArray &i420, int width, int height)>;
  explicit TestPatternCamera(FrameFn onFrame, QObject *parent = nullptr);

  void start();
  void stop();
  bool isRunning() const { return m_timer.isActive(); }

  // Picture number n (the block's place depends on n).
  static QByteArray picture(int n, int width = kWidth, int height = kHeight);

private:
  void tick();

  FrameFn m_onFrame;
  QTimer m_timer;
  int m_frame = 0;
};

} // namespace ilivesdk
