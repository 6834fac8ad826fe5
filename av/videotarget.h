#pragma once
// A place a video stream can be shown, as the frame routing sees it. inputFrame runs on the
// SDK's media thread; setMicFlag may be called from any thread.

#include "sdk/live/ilive.h"

class VideoTarget {
public:
  virtual ~VideoTarget() = default;
  virtual void inputFrame(const ilive::LiveVideoFrame &frame) = 0;
  // Non-zero: the microphone icon shows the microphone as on.
  virtual void setMicFlag(int on) = 0;
  // The stream shown stopped: black until its next frame, never its last picture as if live.
  // GUI thread.
  virtual void dropPicture() = 0;
};
