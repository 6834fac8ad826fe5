#include "sdk/media/streamencoders.h"

namespace media {

StreamEncoders::StreamEncoders() = default;
StreamEncoders::~StreamEncoders() = default;

int StreamEncoders::framesPerSecond(hubproto::Source source) { return source == hubproto::Source::Screen ? 5 : 15; }

QList<hubproto::MediaFrame> StreamEncoders::video(hubproto::Source source, const QByteArray &i420, int width,
                                                  int height, qint64 timeMs) {
  std::unique_ptr<VideoSender> &sender = m_video[int(source)];
  if (!sender)
    sender = std::make_unique<VideoSender>(source, framesPerSecond(source));
  return sender->send(i420, width, height, timeMs);
}

QList<hubproto::MediaFrame> StreamEncoders::voice(const QByteArray &pcm, int sampleRate, qint64 timeMs) {
  if (!m_voice)
    m_voice = std::make_unique<VoiceSender>();
  return m_voice->send(pcm, sampleRate, timeMs);
}

void StreamEncoders::requestKeyframe(hubproto::Source source) {
  auto it = m_video.find(int(source));
  if (it != m_video.end())
    it->second->requestKeyframe();
}

void StreamEncoders::stop(hubproto::Source source) {
  if (source == hubproto::Source::Audio)
    m_voice.reset();
  else
    m_video.erase(int(source));
}

void StreamEncoders::clear() {
  m_video.clear();
  m_voice.reset();
}

} // namespace media
