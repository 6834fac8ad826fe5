#include "av/stagevideoviews.h"

#include "av/guithread.h"
#include "av/qtwidgetup.h"
#include "av/qwidgetvideorender.h"

StageVideoViews::StageVideoViews(QWidgetVideoRender *large, QWidgetVideoRender *screen, QtWidgetUp *strip,
                                 LargeFrameFn largeFrame)
    : m_large(large), m_screen(screen), m_strip(strip), m_largeFrame(std::move(largeFrame)) {}

VideoTarget *StageVideoViews::screenView() { return m_screen.data(); }

VideoTarget *StageVideoViews::largeView() { return m_large.data(); }

void StageVideoViews::showLargeView(const QString &teacherId) {
  runOnGuiThread([large = m_large, frame = m_largeFrame, teacherId] {
    if (frame)
      frame(true);
    if (!large)
      return;
    large->addRootView(teacherId, ilive::VIDEO_SRC_CAMERA);
    large->show();
    large->setEnabled(true);
  });
}

void StageVideoViews::hideLargeView() {
  runOnGuiThread([large = m_large, frame = m_largeFrame] {
    if (frame)
      frame(false);
    if (large)
      large->hide();
  });
}

void StageVideoViews::showStrip() {
  runOnGuiThread([strip = m_strip] {
    if (strip)
      strip->show();
  });
}
