#include "sdk/live/qtcamerasource.h"

#include "sdk/live/videoconverter.h"

#include <QAbstractVideoSurface>
#include <QElapsedTimer>
#include <QCamera>
#include <QCameraInfo>
#include <QVideoSurfaceFormat>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace ilivesdk {

namespace {

// What a real camera may send: bigger pictures are scaled down, faster ones thinned out.
const QSize kMaxCameraSize(640, 480);
constexpr int kMaxCameraFps = 15;
// A little under 1000 / 15 ms, so that a camera running at 15 fps with jitter keeps every frame.
constexpr qint64 kMinFrameIntervalMs = 1000 / kMaxCameraFps - 6;

int avFormatOf(QVideoFrame::PixelFormat f) {
  switch (f) {
  case QVideoFrame::Format_YUV420P: return AV_PIX_FMT_YUV420P;
  case QVideoFrame::Format_YV12: return AV_PIX_FMT_YUV420P; // planes swapped below
  case QVideoFrame::Format_NV12: return AV_PIX_FMT_NV12;
  case QVideoFrame::Format_NV21: return AV_PIX_FMT_NV21;
  case QVideoFrame::Format_YUYV: return AV_PIX_FMT_YUYV422;
  case QVideoFrame::Format_UYVY: return AV_PIX_FMT_UYVY422;
  case QVideoFrame::Format_RGB32:
  case QVideoFrame::Format_ARGB32: return AV_PIX_FMT_BGRA;
  case QVideoFrame::Format_RGB24: return AV_PIX_FMT_RGB24;
  case QVideoFrame::Format_BGR24: return AV_PIX_FMT_BGR24;
  default: return AV_PIX_FMT_NONE;
  }
}
} // namespace

class CameraSurface : public QAbstractVideoSurface {
public:
  explicit CameraSurface(QtCameraSource::FrameFn onFrame) : m_onFrame(std::move(onFrame)) {}

  QList<QVideoFrame::PixelFormat> supportedPixelFormats(QAbstractVideoBuffer::HandleType type) const override {
    if (type != QAbstractVideoBuffer::NoHandle)
      return {};
    return {QVideoFrame::Format_YUV420P, QVideoFrame::Format_YV12, QVideoFrame::Format_NV12,
            QVideoFrame::Format_NV21,    QVideoFrame::Format_YUYV, QVideoFrame::Format_UYVY,
            QVideoFrame::Format_RGB32,   QVideoFrame::Format_ARGB32, QVideoFrame::Format_RGB24,
            QVideoFrame::Format_BGR24};
  }

  bool present(const QVideoFrame &input) override {
    if (m_sinceLast.isValid() && m_sinceLast.elapsed() < kMinFrameIntervalMs)
      return true;
    QVideoFrame frame(input);
    const int av = avFormatOf(frame.pixelFormat());
    if (av == AV_PIX_FMT_NONE || !frame.map(QAbstractVideoBuffer::ReadOnly))
      return false;
    const uchar *planes[4] = {nullptr, nullptr, nullptr, nullptr};
    int strides[4] = {0, 0, 0, 0};
    for (int i = 0; i < frame.planeCount() && i < 4; ++i) {
      planes[i] = frame.bits(i);
      strides[i] = frame.bytesPerLine(i);
    }
    if (frame.pixelFormat() == QVideoFrame::Format_YV12) {
      std::swap(planes[1], planes[2]);
      std::swap(strides[1], strides[2]);
    }
    QSize size;
    const QByteArray i420 = m_converter.toI420(planes, strides, av, frame.width(), frame.height(),
                                               kMaxCameraSize, &size);
    frame.unmap();
    if (!i420.isEmpty()) {
      m_sinceLast.start();
      if (!m_delivered && m_onFirst)
        m_onFirst();
      m_delivered = true;
      m_onFrame(i420, size.width(), size.height());
    }
    return true;
  }

  std::function<void()> m_onFirst;
  bool m_delivered = false;

private:
  QtCameraSource::FrameFn m_onFrame;
  VideoConverter m_converter;
  QElapsedTimer m_sinceLast;
};

QtCameraSource::QtCameraSource(FrameFn onFrame, QObject *parent) : QObject(parent), m_onFrame(std::move(onFrame)) {}

QtCameraSource::~QtCameraSource() { stop(); }

void QtCameraSource::start(const QString &deviceId, ResultFn onStarted) {
  stop();
  QCameraInfo info;
  const QList<QCameraInfo> all = QCameraInfo::availableCameras();
  for (const QCameraInfo &c : all)
    if (c.deviceName() == deviceId)
      info = c;
  if (info.isNull()) {
    onStarted(false);
    return;
  }
  m_surface = std::make_unique<CameraSurface>(m_onFrame);
  auto reported = std::make_shared<bool>(false);
  auto report = [onStarted, reported](bool ok) {
    if (!*reported) {
      *reported = true;
      onStarted(ok);
    }
  };
  m_surface->m_onFirst = [report] { report(true); };
  m_camera = std::make_unique<QCamera>(info);
  connect(m_camera.get(), QOverload<QCamera::Error>::of(&QCamera::error), this, [report](QCamera::Error) { report(false); });
  m_camera->setViewfinder(m_surface.get());
  m_camera->start();
}

void QtCameraSource::stop() {
  if (m_camera) {
    m_camera->stop();
    m_camera.reset();
  }
  m_surface.reset();
}

} // namespace ilivesdk
