#pragma once
// A subscriber's video decoders, one per received stream (owner, source): each stream is
// decoded once, however many places show it. Keyframe requests name the stream they are for.

#include "protocol/mediaframe.h"
#include "sdk/media/videoreceiver.h"

#include <QPair>

#include <functional>
#include <map>
#include <memory>

namespace media {

class StreamDecoders {
public:
  using AskKeyframe = std::function<void(const QString &owner, hubproto::Source source)>;
  static constexpr size_t kMaxStreams = 64; // more than a room's worth; beyond, a stream is ignored

  explicit StreamDecoders(AskKeyframe ask);
  ~StreamDecoders();

  // True when the frame made a picture to show.
  bool receive(const hubproto::MediaFrame &frame, qint64 nowMs, Picture *picture);
  // The same, the picture handed out as an I420 frame of the stream's owner and source.
  bool receive(const hubproto::MediaFrame &frame, qint64 nowMs, hubproto::MediaFrame *decoded);
  void forget(const QByteArray &owner, hubproto::Source source);
  void clear() { m_streams.clear(); }
  size_t size() const { return m_streams.size(); }

private:
  using StreamId = QPair<QByteArray, int>;
  AskKeyframe m_ask;
  std::map<StreamId, std::unique_ptr<VideoReceiver>> m_streams;
};

} // namespace media
