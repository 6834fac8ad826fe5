// Fuzz target: a decoded video frame of any size and turn, as a peer's stream can bring it, is
// turned upright in registers exactly as the strips turn it, and neither reads or writes past
// the frame or the canvas (the sanitizer build runs this). Bytes 0-4: rotation, width and
// height (1 to 160 pixels each); the rest, repeated, is the picture.
#include "fuzzapp.h"

#include "av/framepipeline.h"

#include <algorithm>
#include <vector>

namespace {
constexpr int kHeader = 5;
constexpr int kLargestSide = 160;

int side(const uint8_t *p) { return (p[0] | p[1] << 8) % kLargestSide + 1; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  if (size <= kHeader)
    return 0;
  const int width = side(data + 1);
  const int height = side(data + 3);
  std::vector<uint8_t> picture(static_cast<size_t>(FramePipeline::i420Size(width, height)));
  for (size_t i = 0; i < picture.size(); ++i)
    picture[i] = data[kHeader + i % (size - kHeader)];
  ilive::LiveVideoFrame frame;
  frame.identifier = "fuzz";
  frame.colorFormat = ilive::COLOR_FORMAT_I420;
  frame.width = static_cast<uint32_t>(width);
  frame.height = static_cast<uint32_t>(height);
  frame.rotate = data[0] % 4;
  frame.data = picture.data();
  frame.dataSize = static_cast<uint32_t>(picture.size());

  FramePipeline best;
  FramePipeline strips(FramePipeline::Turning::Strips);
  VideoCanvas inRegisters, inStrips;
  fuzzapp::check(best.render(frame, inRegisters) && strips.render(frame, inStrips), "a well-formed frame was refused");
  fuzzapp::check(inRegisters.width == inStrips.width && inRegisters.height == inStrips.height &&
                     inRegisters.bytes == inStrips.bytes,
                 "the frame turned in registers differs from the frame turned in strips");
  // One byte short of its size: refused, whatever the turn.
  frame.dataSize -= 1;
  fuzzapp::check(!best.render(frame, inRegisters), "a frame shorter than its size was taken");
  return 0;
}
