// Fuzz target: the media frame reader takes any bytes; a frame it accepts is VP8 or Opus with a
// payload, and reads back unchanged after re-encoding and re-stamping.
#include "fuzzapp.h"
#include "hubroundtrip.h"

#include "protocol/mediaframe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  hubproto::MediaFrame frame;
  QString why;
  if (!hubproto::decodeFrame(fuzzapp::bytes(data, size), &frame, &why))
    return 0;
  fuzzapp::check(!frame.payload.isEmpty(), "an accepted frame has no payload");
  fuzzapp::check(frame.format == (frame.kind == hubproto::MediaFrame::Video ? hubproto::MediaFrame::Vp8
                                                                              : hubproto::MediaFrame::Opus),
                 "a raw frame was accepted from the wire");
  hubroundtrip::checkFrame(frame);
  hubproto::MediaFrame stamped;
  fuzzapp::check(hubproto::decodeFrame(hubproto::withUserId(frame, "fuzzer"), &stamped, &why) &&
                     stamped.userId == "fuzzer" && stamped.payload == frame.payload,
                 "a re-stamped frame does not read back");
  return 0;
}
