#include "sdk/media/opusencoder.h"

#include "sdk/media/mediaformat.h"

#include <QElapsedTimer>

namespace media {

namespace {
constexpr int kWaitMs = 200;
constexpr int kSamplesPerPacket = kOpusRate * kOpusFrameMs / 1000;

QByteArray pipelineFor(int rate) {
  return QByteArrayLiteral("appsrc name=src format=time is-live=true caps=audio/x-raw,format=S16LE,"
                           "layout=interleaved,channels=1,rate=") +
         QByteArray::number(rate) + " ! audioconvert ! audioresample ! audio/x-raw,rate=" +
         QByteArray::number(kOpusRate) + ",channels=1 ! opusenc audio-type=voice bitrate=" +
         QByteArray::number(kOpusBitrate) + " frame-size=" + QByteArray::number(kOpusFrameMs) +
         " ! appsink name=sink sync=false";
}
} // namespace

OpusEncoder::OpusEncoder(int inputRate)
    : m_inputRate(inputRate), m_pipeline(std::make_unique<AppPipeline>(pipelineFor(inputRate))) {}

OpusEncoder::~OpusEncoder() = default;

QList<QByteArray> OpusEncoder::encode(const QByteArray &pcm) {
  QList<QByteArray> out;
  const qint64 samples = pcm.size() / 2;
  if (samples == 0 || !m_pipeline->push(pcm.left(static_cast<int>(samples * 2)), m_samplesIn * 1000 / m_inputRate,
                                        samples * 1000 / m_inputRate))
    return out;
  m_samplesIn += samples;
  // The resampler holds back a few samples, so the last packet of what came in may still be
  // on its way: wait for all but that one, then take whatever is ready.
  const qint64 expected = m_samplesIn * kOpusRate / m_inputRate / kSamplesPerPacket - 1;
  QElapsedTimer clock;
  clock.start();
  Packet packet;
  while (m_pipeline->pull(&packet, m_packetsOut < expected ? qMax<qint64>(1, kWaitMs - clock.elapsed()) : 0)) {
    out.append(packet.bytes);
    ++m_packetsOut;
    if (clock.elapsed() >= kWaitMs)
      break;
  }
  return out;
}

} // namespace media
