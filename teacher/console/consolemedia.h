#pragma once
// The teacher's own media in the console: the camera (the first real camera, else the test
// pattern) with its frames also handed to the self-view, the real X11 screen at 5 fps scaled
// to at most 1280 × 720, and the microphone, whose voice rides on the camera stream (the
// stream is published while either is on). Lives on the GUI thread.

#include "sdk/live/testpatterncamera.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <memory>

class TeacherSession;
namespace ilivesdk {
class MicCapture;
class QtCameraSource;
} // namespace ilivesdk

class ConsoleMedia : public QObject {
  Q_OBJECT
public:
  static constexpr int kScreenFps = 5;
  static constexpr int kScreenMaxWidth = 1280;
  static constexpr int kScreenMaxHeight = 720;

  explicit ConsoleMedia(TeacherSession *session, QObject *parent = nullptr);
  ~ConsoleMedia() override;

  void setCamera(bool on);
  void setScreen(bool on);
  // False when no microphone could be opened.
  bool setMicrophone(bool on);
  void stopAll();

  bool cameraOn() const { return m_cameraOn; }
  bool screenOn() const { return m_screenTimer.isActive(); }
  bool microphoneOn() const { return m_micOn; }
  bool usesTestPattern() const { return m_usesTestPattern; }

  // The screen picture as it is sent: within 1280 × 720, aspect kept, even sides.
  static QImage fitScreen(const QImage &screen);

signals:
  // The camera's own picture, for the self-view (I420).
  void cameraFrame(const QByteArray &i420, int width, int height);
  void problem(const QString &what);

private:
  void onCameraFrame(const QByteArray &i420, int width, int height);
  void sendScreen();
  void startCamera();
  void startTestPattern(const ilivesdk::TestPatternCamera::FrameFn &deliver);
  // Publishes or withdraws the camera stream to match camera and microphone.
  void syncCameraStream();

  TeacherSession *m_session;
  std::unique_ptr<ilivesdk::QtCameraSource> m_camera;
  std::unique_ptr<ilivesdk::TestPatternCamera> m_pattern;
  std::unique_ptr<ilivesdk::MicCapture> m_mic;
  QTimer m_screenTimer;
  bool m_cameraOn = false;
  bool m_micOn = false;
  bool m_usesTestPattern = false;
  bool m_streamPublished = false;
  bool m_streamAudio = false;
  bool m_syncing = false;
};
