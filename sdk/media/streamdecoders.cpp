#include "sdk/media/streamdecoders.h"

namespace media {

StreamDecoders::StreamDecoders(AskKeyframe ask) : m_ask(std::move(ask)) {}
StreamDecoders::~StreamDecoders() = default;

bool StreamDecoders::receive(const hubproto::MediaFrame &frame, qint64 nowMs, Picture *picture) {
  const StreamId id(frame.userId, int(frame.source));
  auto it = m_streams.find(id);
  if (it == m_streams.end()) {
    if (m_streams.size() >= kMaxStreams)
      return false;
    const QString owner = QString::fromUtf8(frame.userId);
    const hubproto::Source source = frame.source;
    auto ask = [this, owner, source] {
      if (m_ask)
        m_ask(owner, source);
    };
    it = m_streams.emplace(id, std::make_unique<VideoReceiver>(ask)).first;
  }
  return it->second->receive(frame, nowMs, picture);
}

bool StreamDecoders::receive(const hubproto::MediaFrame &frame, qint64 nowMs, hubproto::MediaFrame *decoded) {
  Picture picture;
  if (frame.kind != hubproto::MediaFrame::Video || !receive(frame, nowMs, &picture))
    return false;
  *decoded = hubproto::videoFrame(frame.source, picture.width, picture.height, picture.i420, frame.timestamp);
  decoded->userId = frame.userId;
  decoded->rotation = frame.rotation;
  return true;
}

void StreamDecoders::forget(const QByteArray &owner, hubproto::Source source) {
  m_streams.erase(StreamId(owner, int(source)));
}

} // namespace media
