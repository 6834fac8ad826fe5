#pragma once
// What the teacher's screen stream shows: a lesson slide with the scenario's title and
// lines, a graph whose point moves from frame to frame, and a clock, so a viewer sees the
// stream is live. Texts need a QGuiApplication; without one the slide has shapes only.

#include "teacher/scenario.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

class ScreenSlide {
public:
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 720;

  explicit ScreenSlide(const ScenarioSlide &slide, QSize size = QSize(kWidth, kHeight));

  QSize size() const { return m_background.size(); }
  QImage picture(int frameNumber) const;
  QByteArray frame(int frameNumber) const; // I420

private:
  void paintBackground(const ScenarioSlide &slide);
  QPointF graphPoint(double x, double y) const;

  QImage m_background;
  QRectF m_graph;
  bool m_withText;
};
