#include "sdk/media/vp8decoder.h"

#include <QElapsedTimer>

namespace media {

namespace {
constexpr int kWaitMs = 300;  // how long one call waits for its own picture
constexpr int kPollMs = 5;

QByteArray pipelineFor(int width, int height) {
  // max-errors=0: the first frame it cannot decode is an error on the bus, so that a broken
  // chain is noticed at once rather than shown.
  return QByteArrayLiteral("appsrc name=src format=time is-live=true caps=video/x-vp8,width=") +
         QByteArray::number(width) + ",height=" + QByteArray::number(height) +
         " ! vp8dec threads=1 max-errors=0 ! video/x-raw,format=I420 ! appsink name=sink sync=false";
}
} // namespace

Vp8Decoder::Vp8Decoder() = default;
Vp8Decoder::~Vp8Decoder() = default;

void Vp8Decoder::reset() {
  m_pipeline.reset();
}

Vp8Decoder::Result Vp8Decoder::decode(const QByteArray &vp8, int width, int height, qint64 timeMs,
                                      Picture *picture) {
  if (!m_pipeline || width != m_width || height != m_height) {
    m_pipeline = std::make_unique<AppPipeline>(pipelineFor(width, height));
    m_width = width;
    m_height = height;
  }
  const qint64 pts = qMax(timeMs, m_lastPtsMs + 1);
  m_lastPtsMs = pts;
  if (!m_pipeline->push(vp8, pts, 0)) {
    reset();
    return Result::Failed;
  }
  // Waits for this frame's own picture (older ones that came late are passed over); a frame
  // the decoder drops without a word costs one wait, not every later one.
  QElapsedTimer clock;
  clock.start();
  Result result = Result::NoPicture;
  Packet packet;
  while (clock.elapsed() < kWaitMs) {
    if (m_pipeline->pull(&packet, kPollMs)) {
      picture->i420 = packet.bytes;
      picture->width = packet.width;
      picture->height = packet.height;
      result = Result::Picture;
      if (packet.ptsMs >= pts)
        break;
    } else if (!m_pipeline->isHealthy()) {
      reset();
      return Result::Failed;
    }
  }
  return result;
}

} // namespace media
