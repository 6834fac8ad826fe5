#pragma once
// The media-thread half of a video view: converts a frame (I420 and packed BGR24, with
// libyuv's colours) and turns it upright into a 32-bit canvas of the picture's size.
// The converter is set up anew only when width, height or rotation change; the canvas and
// the scratch of turned frames change only when their byte size changes, so a steady stream
// allocates nothing.

#include "av/videocanvas.h"
#include "sdk/live/ilive.h"

#include <QtGlobal>

#include <vector>

class FramePipeline {
public:
  // How turned I420 frames are turned: in registers where the processor and the picture allow
  // (turnedi420.h), else in strips; or always in strips, which tests and benchmarks set beside.
  enum class Turning { Best, Strips };

  explicit FramePipeline(Turning turning = Turning::Best) : m_turning(turning) {}
  FramePipeline(const FramePipeline &) = delete;
  FramePipeline &operator=(const FramePipeline &) = delete;

  // Draws the frame upright into canvas. False, canvas untouched, when the frame is unusable:
  // no data, bad size or rotation, or a data size that does not match its width and height.
  bool render(const ilive::LiveVideoFrame &frame, VideoCanvas &canvas);

  // How many times the converter was set up for a new width, height or rotation.
  int converterBuilds() const { return m_builds; }

  // Bytes of an I420 picture: full-size Y, then U and V at half size rounded up.
  static qint64 i420Size(int width, int height);

private:
  static bool acceptable(const ilive::LiveVideoFrame &frame);
  void ensureConverter(int width, int height, int rotation);
  void convertTurned(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst, int dstStride);
  void placePacked(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst, int dstStride);
  void place(const ilive::LiveVideoFrame &frame, int uprightW, int uprightH, uint8_t *dst, int dstStride);

  Turning m_turning;
  int m_width = 0;
  int m_height = 0;
  int m_rotation = -1;
  int m_builds = 0;
  bool m_inTiles = false; // a turned frame converted in registers (turnedi420.h), not in strips
  std::vector<uint8_t> m_turned; // one strip of a turned frame's planes, or the odd lines of a turn in registers
  std::vector<uint8_t> m_packed; // a turned packed frame, upright
};
