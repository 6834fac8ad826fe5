#include "sdk/media/opusdecoder.h"

#include "sdk/media/mediaformat.h"

#include <QElapsedTimer>

namespace media {

namespace {
constexpr int kWaitMs = 200;
constexpr int kPollMs = 5;

QByteArray pipelineFor(int rate) {
  return QByteArrayLiteral("appsrc name=src format=time is-live=true caps=audio/x-opus,"
                           "channel-mapping-family=0,channels=1,rate=") +
         QByteArray::number(kOpusRate) +
         " ! opusdec plc=true max-errors=0 ! audioconvert ! audioresample ! audio/x-raw,format=S16LE,channels=1,rate=" +
         QByteArray::number(rate) + " ! appsink name=sink sync=false";
}
} // namespace

OpusDecoder::OpusDecoder(int outputRate) : m_outputRate(outputRate) { restart(); }

OpusDecoder::~OpusDecoder() = default;

void OpusDecoder::restart() {
  m_pipeline = std::make_unique<AppPipeline>(pipelineFor(m_outputRate));
  m_slot = 0;
}

QByteArray OpusDecoder::decode(const QByteArray &packet) {
  if (packet.isEmpty() || !m_pipeline->push(packet, m_slot * kOpusFrameMs, kOpusFrameMs)) {
    restart();
    return QByteArray();
  }
  ++m_slot;
  return take();
}

QByteArray OpusDecoder::conceal() {
  if (m_slot == 0 || !m_pipeline->pushGap(m_slot * kOpusFrameMs, kOpusFrameMs))
    return QByteArray(); // nothing to continue from
  ++m_slot;
  return take();
}

QByteArray OpusDecoder::take() {
  QElapsedTimer clock;
  clock.start();
  QByteArray pcm;
  Packet packet;
  while (pcm.isEmpty() && clock.elapsed() < kWaitMs) {
    if (!m_pipeline->isHealthy()) {
      restart();
      return QByteArray();
    }
    if (m_pipeline->pull(&packet, kPollMs))
      pcm = packet.bytes;
  }
  while (m_pipeline->pull(&packet, 0))
    pcm += packet.bytes;
  return pcm;
}

} // namespace media
