// Fuzz target: the receive path of the media layer. Whatever bytes arrive as a media frame,
// the frame reader, the VP8 chain keeping and decoder, and the voice jitter buffer and Opus
// decoder drop what they cannot use without crashing, and a picture that comes out has the
// size its frame announced. One receiver of each kind lives across inputs, as a stream does.
#include "fuzzapp.h"

#include "protocol/mediaframe.h"
#include "sdk/media/videoreceiver.h"
#include "sdk/media/voicereceiver.h"

namespace {
struct Receivers {
  media::VideoReceiver video{[] {}};
  media::VoiceReceiver voice{16000};
  qint64 now = 0;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  static Receivers r;
  hubproto::MediaFrame frame;
  QString why;
  if (!hubproto::decodeFrame(fuzzapp::bytes(data, size), &frame, &why))
    return 0;
  r.now += 300; // past the keyframe-request spacing, so every refusal asks again
  if (frame.kind == hubproto::MediaFrame::Audio) {
    r.voice.receive(frame);
    const QByteArray pcm = r.voice.pull();
    fuzzapp::check(pcm.size() % 2 == 0, "the voice decoder made half a sample");
    return 0;
  }
  media::Picture picture;
  if (r.video.receive(frame, r.now, &picture))
    fuzzapp::check(picture.width == frame.width && picture.height == frame.height &&
                       picture.i420.size() == hubproto::i420Size(picture.width, picture.height),
                   "a picture does not have its frame's size");
  return 0;
}
