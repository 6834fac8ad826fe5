#pragma once
// Sends one published video source's frames at a steady rate: the test-pattern camera or the
// screen slide. Frames start at number 0 and go to the session, which drops them unless the
// source is published.

#include "protocol/protocol.h"
#include "teacher/scenario.h"

#include <QByteArray>
#include <QObject>
#include <QSize>
#include <QTimer>

#include <functional>

class TeacherSession;

class StreamPublisher : public QObject {
  Q_OBJECT
public:
  using Picture = std::function<QByteArray(int frameNumber)>; // I420 of size()

  StreamPublisher(TeacherSession *session, hubproto::Source source, QSize size, int fps, Picture picture,
                  QObject *parent = nullptr);

  // The test-pattern camera (640 × 480, 15 fps unless fps is given) and the lesson slide.
  static StreamPublisher *camera(TeacherSession *session, int fps, QObject *parent);
  static StreamPublisher *screen(TeacherSession *session, const ScenarioSlide &slide, int fps,
                                 QObject *parent);

  void start();
  void stop() { m_timer.stop(); }
  hubproto::Source source() const { return m_source; }
  QSize size() const { return m_size; }
  int fps() const { return m_fps; }
  int framesSent() const { return m_frame; }

private:
  void tick();

  TeacherSession *m_session;
  hubproto::Source m_source;
  QSize m_size;
  int m_fps;
  Picture m_picture;
  QTimer m_timer;
  int m_frame = 0;
};
