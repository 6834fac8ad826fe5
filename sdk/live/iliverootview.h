#pragma once
// A root view draws a stream straight onto a native window when the machine supports it.
// This SDK layer has no hardware path: hardwareSupport() answers 0, so the program chooses
// packed BGR24 frames and paints them itself; views added here are remembered but not drawn.

#include "sdk/live/ilive.h"

#include <cstdint>

namespace ilive {

// Where a view sits inside the root view, in ten-thousandths of the window's size.
struct ViewRecord {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 10000;
  int32_t height = 10000;
  int32_t zOrder = 0;
  bool fill = false; // false: fit with black bars; true: crop to fill
};

class iLiveRootView {
public:
  // Binds the view to a native window (a Qt WId). 0 = success.
  virtual int init(uintptr_t nativeWindow) = 0;
  virtual void setBackgroundColor(uint32_t argb) = 0;
  // Adds a view for one stream. 0 = success.
  virtual int addView(const char *userId, VideoSrc source, const ViewRecord &view) = 0;
  virtual int removeView(const char *userId, VideoSrc source) = 0;
  // 1 = hardware rendering supported, 0 = not.
  virtual int hardwareSupport() const = 0;
  // Deletes the view; the pointer is invalid afterwards.
  virtual void destroy() = 0;

protected:
  virtual ~iLiveRootView() = default;
};

} // namespace ilive

// A new root view, to be given back with destroy().
ilive::iLiveRootView *iLiveCreateRootView();
