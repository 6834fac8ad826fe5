#include "mediapath.h"

#include "support/localservice.h"
#include "support/mediameasure.h"
#include "sdk/live/testpatterncamera.h"
#include "sdk/media/mediaformat.h"

#include <QDateTime>

namespace mediapath {

namespace {
constexpr int kBits = 16;
constexpr int kBlock = 16; // pixels per bit, square: VP8 keeps blocks this big black or white
constexpr int kAmplitude = 8000;

int blockWidth(int width) { return qMin(kBlock, width / kBits); }
} // namespace

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

sdk::JanusEndpoint janusSeat(const LocalService &service, const QString &phone, const QString &password,
                             const QString &role, quint32 roomId) {
  const QString token = service.signIn(phone, password);
  const QJsonObject d = service
                            .call(QStringLiteral("live-service"), QStringLiteral("bgp_login"),
                                  {{QStringLiteral("token"), token}, {QStringLiteral("roomId"), QString::number(roomId)},
                                   {QStringLiteral("role"), role}})
                            .data();
  sdk::JanusEndpoint e;
  e.url = QUrl(d.value(QStringLiteral("janusUrl")).toString());
  e.room = quint64(d.value(QStringLiteral("janusRoom")).toDouble());
  e.token = d.value(QStringLiteral("janusToken")).toString();
  e.feed = quint64(d.value(QStringLiteral("janusFeed")).toDouble());
  return e;
}

QByteArray numberedPicture(int n, int width, int height) {
  QByteArray picture = ilivesdk::TestPatternCamera::picture(n, width, height);
  auto *y = reinterpret_cast<uchar *>(picture.data());
  const int b = blockWidth(width);
  for (int bit = 0; bit < kBits; ++bit) {
    const uchar luma = (n >> bit) & 1 ? 235 : 16;
    for (int row = 0; row < b; ++row)
      memset(y + row * width + bit * b, luma, size_t(b));
  }
  return picture;
}

int readNumber(const QByteArray &i420, int width, int height) {
  const int b = blockWidth(width);
  if (i420.size() < hubproto::i420Size(width, height) || b < 4 || height < b)
    return -1;
  const auto *y = reinterpret_cast<const uchar *>(i420.constData());
  int n = 0;
  for (int bit = 0; bit < kBits; ++bit) {
    const uchar luma = y[(b / 2) * width + bit * b + b / 2];
    if (luma > 96 && luma < 160)
      return -1; // neither black nor white: not a strip
    n |= (luma >= 160 ? 1 : 0) << bit;
  }
  return n;
}

Sender::Sender(sdk::MediaTransport *transport, hubproto::Source video, int width, int height)
    : m_transport(transport), m_video(video), m_width(width), m_height(height) {
  connect(&m_pictureClock, &QTimer::timeout, this, &Sender::sendPicture);
  m_voiceClock.setTimerType(Qt::PreciseTimer);
  connect(&m_voiceClock, &QTimer::timeout, this, &Sender::sendVoice);
  connect(transport, &sdk::MediaTransport::keyframeRequested, this, [this](hubproto::Source source) {
    ++m_keyframeAsks;
    m_encoders.requestKeyframe(source);
  });
}

void Sender::start(int framesPerSecond, bool withVoice) {
  m_withVoice = withVoice;
  m_transport->publish(m_video);
  m_pictureClock.start(1000 / framesPerSecond);
  if (!withVoice)
    return;
  m_transport->publish(hubproto::Source::Audio);
  m_voiceClock.start(media::kOpusFrameMs);
}

void Sender::stop() {
  m_pictureClock.stop();
  m_voiceClock.stop();
  m_transport->unpublish(m_video);
  if (m_withVoice)
    m_transport->unpublish(hubproto::Source::Audio);
  m_encoders.clear();
}

void Sender::sendPicture() {
  const int n = m_next++;
  const qint64 now = nowMs();
  m_sentAt.insert(n, now);
  for (const hubproto::MediaFrame &f : m_encoders.video(m_video, numberedPicture(n, m_width, m_height), m_width, m_height, now))
    m_transport->sendFrame(f);
}

void Sender::sendVoice() {
  const int samples = media::kOpusRate * media::kOpusFrameMs / 1000;
  const QByteArray pcm = mediameasure::sine(kToneHz, media::kOpusRate, samples, kAmplitude, m_voiceSamples);
  m_voiceSamples += samples;
  for (const hubproto::MediaFrame &f : m_encoders.voice(pcm, media::kOpusRate, nowMs()))
    m_transport->sendFrame(f);
}

Receiver::Receiver(sdk::MediaTransport *transport)
    : m_decoders([transport](const QString &owner, hubproto::Source source) { transport->requestKeyframe(owner, source); }),
      m_voiceDecoder(media::kOpusRate) {
  connect(transport, &sdk::MediaTransport::frameReceived, this, &Receiver::onFrame);
}

void Receiver::reset() {
  m_pictures = 0;
  m_voicePackets = 0;
  m_firstAt = -1;
  m_pcm.clear();
  m_bytes.clear();
  m_arrivals.clear();
}

void Receiver::onFrame(const hubproto::MediaFrame &frame) {
  m_bytes[int(frame.source)] += quint64(frame.payload.size());
  if (frame.kind == hubproto::MediaFrame::Audio) {
    ++m_voicePackets;
    m_pcm += m_voiceDecoder.decode(frame.payload);
    return;
  }
  media::Picture picture;
  if (!m_decoders.receive(frame, nowMs(), &picture))
    return;
  const qint64 now = nowMs();
  ++m_pictures;
  m_last = picture.i420;
  m_lastWidth = picture.width;
  m_lastHeight = picture.height;
  m_lastNumber = readNumber(picture.i420, picture.width, picture.height);
  m_lastAt = now;
  if (m_firstAt < 0)
    m_firstAt = now;
  m_arrivals[int(frame.source)].emplace_back(now, m_lastNumber);
}

} // namespace mediapath
