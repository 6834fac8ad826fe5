#pragma once
// The classroom's two fixed views as the frame routing sees them. The show/hide calls may
// come from the SDK's media thread; the implementer carries them to the GUI thread in call
// order (runOnGuiThread does).

#include <QString>

class VideoTarget;

class VideoViews {
public:
  virtual ~VideoViews() = default;
  // The view for the teacher's shared screen or media.
  virtual VideoTarget *screenView() = 0;
  // The large teacher view.
  virtual VideoTarget *largeView() = 0;
  // Shows the large view's widgets (button image "arrow_up_32x32"), adds the SDK root view
  // for the teacher's camera on it, shows and enables it.
  virtual void showLargeView(const QString &teacherId) = 0;
  virtual void hideLargeView() = 0;
  virtual void showStrip() = 0;
};
