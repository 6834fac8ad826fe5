#pragma once
// Test media through any media transport, for the transport tests and bench_janus: a sender
// that encodes the numbered test pattern and a voice (a sine) as a publisher does, and a
// receiver that decodes what arrives as the SDK does and keeps what a test or a benchmark
// asks about. Each picture carries its number in a strip of black and white blocks, so the
// receiver knows which picture it decoded and when that one was handed to the encoder.

#include "protocol/mediaframe.h"
#include "sdk/media/opusdecoder.h"
#include "sdk/media/streamdecoders.h"
#include "sdk/media/streamencoders.h"
#include "sdk/net/mediatransport.h"
#include "sdk/net/webrtc/janusendpoint.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <vector>

class LocalService;

namespace mediapath {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr double kToneHz = 440;

// The test pattern's picture n with n written into its top rows.
QByteArray numberedPicture(int n, int width = kWidth, int height = kHeight);
// The number a decoded picture carries, or -1 when the strip cannot be read.
int readNumber(const QByteArray &i420, int width, int height);

// Milliseconds on one clock for the whole process.
qint64 nowMs();

// A member's seat in Janus as the class sign-in to roomId hands it out (role "1" the
// teacher's, "0" a student's).
sdk::JanusEndpoint janusSeat(const LocalService &service, const QString &phone, const QString &password,
                             const QString &role, quint32 roomId);

class Sender : public QObject {
  Q_OBJECT
public:
  Sender(sdk::MediaTransport *transport, hubproto::Source video, int width = kWidth, int height = kHeight);
  void start(int framesPerSecond, bool withVoice = true);
  void stop();
  int picturesSent() const { return m_next; }
  qint64 sentAt(int number) const { return m_sentAt.value(number, -1); }
  int keyframeRequests() const { return m_keyframeAsks; }

private:
  void sendPicture();
  void sendVoice();

  sdk::MediaTransport *m_transport;
  hubproto::Source m_video;
  int m_width;
  int m_height;
  media::StreamEncoders m_encoders;
  QTimer m_pictureClock;
  QTimer m_voiceClock;
  int m_next = 0;
  qint64 m_voiceSamples = 0;
  QHash<int, qint64> m_sentAt;
  int m_keyframeAsks = 0;
  bool m_withVoice = true;
};

class Receiver : public QObject {
  Q_OBJECT
public:
  explicit Receiver(sdk::MediaTransport *transport);

  int pictures() const { return m_pictures; }
  int pictures(hubproto::Source source) const { return int(arrivals(source).size()); }
  int voicePackets() const { return m_voicePackets; }
  QByteArray lastPicture() const { return m_last; }
  int lastWidth() const { return m_lastWidth; }
  int lastHeight() const { return m_lastHeight; }
  int lastNumber() const { return m_lastNumber; }
  qint64 lastPictureAt() const { return m_lastAt; }
  qint64 firstPictureAt() const { return m_firstAt; }
  QByteArray voice() const { return m_pcm; } // decoded, 48 kHz mono
  quint64 encodedBytes(hubproto::Source source) const { return m_bytes.value(int(source)); }
  // Arrival times of a source's decoded pictures (ms), and the number each carried.
  using Arrivals = std::vector<std::pair<qint64, int>>;
  Arrivals arrivals(hubproto::Source source) const { return m_arrivals.value(int(source)); }
  void reset();

private:
  void onFrame(const hubproto::MediaFrame &frame);

  media::StreamDecoders m_decoders;
  media::OpusDecoder m_voiceDecoder;
  int m_pictures = 0;
  int m_voicePackets = 0;
  QByteArray m_last;
  int m_lastWidth = 0;
  int m_lastHeight = 0;
  int m_lastNumber = -1;
  qint64 m_lastAt = -1;
  qint64 m_firstAt = -1;
  QByteArray m_pcm;
  QHash<int, quint64> m_bytes;
  QHash<int, Arrivals> m_arrivals;
};

} // namespace mediapath
