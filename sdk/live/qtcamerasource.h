#pragma once
// A real camera through Qt Multimedia: frames arrive at a video surface and are turned into
// I420 pictures of at most 640 × 480, at most 15 a second.

#include <QObject>

#include <functional>
#include <memory>

class QCamera;

namespace ilivesdk {

class CameraSurface;

class QtCameraSource : public QObject {
  Q_OBJECT
public:
  using FrameFn = std::function<void(const QByteArray &i420, int width, int height)>;
  using ResultFn = std::function<void(bool ok)>;
  QtCameraSource(FrameFn onFrame, QObject *parent = nullptr);
  ~QtCameraSource() override;

  // onStarted(true) once the camera delivers, onStarted(false) when it cannot start.
  void start(const QString &deviceId, ResultFn onStarted);
  void stop();
  bool isRunning() const { return m_camera != nullptr; }

private:
  FrameFn m_onFrame;
  std::unique_ptr<CameraSurface> m_surface;
  std::unique_ptr<QCamera> m_camera;
};

} // namespace ilivesdk
