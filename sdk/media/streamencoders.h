#pragma once
// A publisher's encoders, one per published source and one for its voice: each source is
// encoded once, whoever receives it. A source's encoder is made with its first picture and
// goes when the source stops, so that a restarted stream begins with a keyframe.

#include "protocol/mediaframe.h"
#include "sdk/media/videosender.h"
#include "sdk/media/voicesender.h"

#include <map>
#include <memory>

namespace media {

class StreamEncoders {
public:
  StreamEncoders();
  ~StreamEncoders();

  QList<hubproto::MediaFrame> video(hubproto::Source source, const QByteArray &i420, int width, int height,
                                    qint64 timeMs);
  QList<hubproto::MediaFrame> voice(const QByteArray &pcm, int sampleRate, qint64 timeMs);
  void requestKeyframe(hubproto::Source source);
  void stop(hubproto::Source source); // Audio stops the voice
  void clear();

  // Pictures per second a source is tuned for: 15 for cameras, 5 for a screen.
  static int framesPerSecond(hubproto::Source source);

private:
  std::map<int, std::unique_ptr<VideoSender>> m_video;
  std::unique_ptr<VoiceSender> m_voice;
};

} // namespace media
