#include "teacher/streampublisher.h"

#include "sdk/live/testpatterncamera.h"
#include "teacher/screenslide.h"
#include "teacher/teachersession.h"

#include <memory>

namespace {
constexpr int kScreenFps = 5;
}

StreamPublisher::StreamPublisher(TeacherSession *session, hubproto::Source source, QSize size, int fps,
                                 Picture picture, QObject *parent)
    : QObject(parent), m_session(session), m_source(source), m_size(size), m_fps(qMax(1, fps)),
      m_picture(std::move(picture)), m_timer(this) {
  m_timer.setTimerType(Qt::PreciseTimer);
  connect(&m_timer, &QTimer::timeout, this, &StreamPublisher::tick);
}

StreamPublisher *StreamPublisher::camera(TeacherSession *session, int fps, QObject *parent) {
  using Camera = ilivesdk::TestPatternCamera;
  return new StreamPublisher(session, hubproto::Source::Camera, QSize(Camera::kWidth, Camera::kHeight),
                             fps > 0 ? fps : Camera::kFramesPerSecond,
                             [](int n) { return Camera::picture(n); }, parent);
}

StreamPublisher *StreamPublisher::screen(TeacherSession *session, const ScenarioSlide &slide, int fps,
                                         QObject *parent) {
  auto painter = std::make_shared<ScreenSlide>(slide);
  return new StreamPublisher(session, hubproto::Source::Screen, painter->size(), fps > 0 ? fps : kScreenFps,
                             [painter](int n) { return painter->frame(n); }, parent);
}

void StreamPublisher::start() {
  m_frame = 0;
  tick(); // the first picture at once, so a viewer does not wait a whole period
  m_timer.start(1000 / m_fps);
}

void StreamPublisher::tick() {
  m_session->sendVideo(m_source, m_picture(m_frame), m_size.width(), m_size.height());
  ++m_frame;
}
