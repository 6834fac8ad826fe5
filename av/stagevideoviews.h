#pragma once
// The fixed views of a class window for the frame routing: the large teacher view, the
// screen view and the stage strip. Show and hide requests from the SDK's media thread are
// carried to the GUI thread in order. The window owns the widgets and stops frames before it
// destroys them.

#include "av/videoviews.h"

#include <QPointer>

#include <functional>

class QtWidgetUp;
class QWidgetVideoRender;

class StageVideoViews : public VideoViews {
public:
  // Shows or hides the window's own widgets around the large view (its frame, the arrow
  // button with "arrow_up_32x32"); runs on the GUI thread.
  using LargeFrameFn = std::function<void(bool shown)>;

  StageVideoViews(QWidgetVideoRender *large, QWidgetVideoRender *screen, QtWidgetUp *strip,
                  LargeFrameFn largeFrame = LargeFrameFn());

  VideoTarget *screenView() override;
  VideoTarget *largeView() override;
  void showLargeView(const QString &teacherId) override;
  void hideLargeView() override;
  void showStrip() override;

private:
  QPointer<QWidgetVideoRender> m_large;
  QPointer<QWidgetVideoRender> m_screen;
  QPointer<QtWidgetUp> m_strip;
  LargeFrameFn m_largeFrame;
};
