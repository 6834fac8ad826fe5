#include "teacher/console/consolemedia.h"

#include "sdk/live/devicecatalog.h"
#include "sdk/live/miccapture.h"
#include "sdk/live/qtcamerasource.h"
#include "sdk/live/testpatterncamera.h"
#include "teacher/i420image.h"
#include "teacher/teachersession.h"

#include <QAudioDeviceInfo>
#include <QCameraInfo>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>

namespace {
constexpr int kMicVolume = 100;
} // namespace

ConsoleMedia::ConsoleMedia(TeacherSession *session, QObject *parent)
    : QObject(parent), m_session(session), m_screenTimer(this) {
  m_screenTimer.setInterval(1000 / kScreenFps);
  connect(&m_screenTimer, &QTimer::timeout, this, &ConsoleMedia::sendScreen);
}

ConsoleMedia::~ConsoleMedia() = default;

QImage ConsoleMedia::fitScreen(const QImage &screen) {
  QImage fitted = screen.size().boundedTo(QSize(kScreenMaxWidth, kScreenMaxHeight)) == screen.size()
                      ? screen
                      : screen.scaled(kScreenMaxWidth, kScreenMaxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  // Even sides keep the chroma planes whole.
  return fitted.copy(0, 0, fitted.width() & ~1, fitted.height() & ~1);
}

void ConsoleMedia::setCamera(bool on) {
  if (on == m_cameraOn)
    return;
  m_cameraOn = on;
  if (on) {
    startCamera();
  } else {
    m_camera.reset();
    m_pattern.reset();
  }
  syncCameraStream();
}

void ConsoleMedia::startCamera() {
  QPointer<ConsoleMedia> self(this);
  // Frames may come on the camera's thread; they are sent from the GUI thread.
  auto deliver = [self](const QByteArray &i420, int width, int height) {
    if (!self)
      return;
    QMetaObject::invokeMethod(self.data(), [self, i420, width, height] {
      if (self)
        self->onCameraFrame(i420, width, height);
    }, Qt::QueuedConnection);
  };
  const QList<QCameraInfo> cameras = QCameraInfo::availableCameras();
  m_usesTestPattern = false;
  if (cameras.isEmpty())
    return startTestPattern(deliver);
  m_camera = std::make_unique<ilivesdk::QtCameraSource>(deliver);
  m_camera->start(cameras.first().deviceName(), [self, deliver](bool ok) {
    if (ok || !self || !self->m_cameraOn)
      return;
    // A camera that will not start gives way to the test pattern.
    emit self->problem(QStringLiteral("摄像头无法打开，改用测试画面"));
    self->startTestPattern(deliver);
  });
}

void ConsoleMedia::startTestPattern(const ilivesdk::TestPatternCamera::FrameFn &deliver) {
  m_usesTestPattern = true;
  m_pattern = std::make_unique<ilivesdk::TestPatternCamera>(deliver);
  m_pattern->start();
}

void ConsoleMedia::onCameraFrame(const QByteArray &i420, int width, int height) {
  if (!m_cameraOn)
    return;
  emit cameraFrame(i420, width, height);
  m_session->sendVideo(hubproto::Source::Camera, i420, width, height);
}

void ConsoleMedia::setScreen(bool on) {
  if (on == screenOn())
    return;
  if (!on) {
    m_screenTimer.stop();
    m_session->unpublish(hubproto::Source::Screen, [](int, const QString &) {});
    return;
  }
  m_screenTimer.start();
  m_session->publish(hubproto::Source::Screen, [this](int code, const QString &desc) {
    if (code != 0)
      emit problem(QStringLiteral("共享屏幕失败：%1 %2").arg(code).arg(desc));
  });
}

void ConsoleMedia::sendScreen() {
  QScreen *screen = QGuiApplication::primaryScreen();
  if (!screen)
    return;
  const QImage picture = fitScreen(screen->grabWindow(0).toImage());
  if (picture.isNull())
    return;
  m_session->sendVideo(hubproto::Source::Screen, i420image::fromImage(picture), picture.width(), picture.height());
}

bool ConsoleMedia::setMicrophone(bool on) {
  if (on == m_micOn)
    return true;
  if (on) {
    QPointer<ConsoleMedia> self(this);
    m_mic = std::make_unique<ilivesdk::MicCapture>([self](const QByteArray &pcm) {
      if (self && self->m_micOn)
        self->m_session->sendAudio(pcm, ilivesdk::voiceFormat().sampleRate());
    });
    if (!m_mic->start(QAudioDeviceInfo::defaultInputDevice(), kMicVolume)) {
      m_mic.reset();
      emit problem(QStringLiteral("没有可用的麦克风"));
      return false;
    }
  } else {
    m_mic.reset();
  }
  m_micOn = on;
  syncCameraStream();
  return true;
}

void ConsoleMedia::syncCameraStream() {
  const bool wanted = m_cameraOn || m_micOn;
  if (m_syncing || (wanted == m_streamPublished && m_micOn == m_streamAudio))
    return;
  m_syncing = true;
  auto publishWanted = [this] {
    if (!(m_cameraOn || m_micOn)) {
      m_syncing = false;
      return syncCameraStream();
    }
    const bool audio = m_micOn;
    m_session->publish(hubproto::Source::Camera, [this, audio](int code, const QString &desc) {
      m_syncing = false;
      m_streamPublished = code == 0;
      m_streamAudio = code == 0 && audio;
      if (code != 0)
        emit problem(QStringLiteral("发布摄像头失败：%1 %2").arg(code).arg(desc));
      syncCameraStream(); // the buttons may have changed meanwhile
    }, audio);
  };
  if (!m_streamPublished)
    return publishWanted();
  m_session->unpublish(hubproto::Source::Camera, [this, publishWanted](int, const QString &) {
    m_streamPublished = m_streamAudio = false;
    publishWanted();
  });
}

void ConsoleMedia::stopAll() {
  setScreen(false);
  setMicrophone(false);
  setCamera(false);
}
