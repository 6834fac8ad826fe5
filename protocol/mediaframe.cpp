#include "protocol/mediaframe.h"

#include <QtEndian>

#include <cstring>

namespace hubproto {

namespace {

const char kMagic[4] = {'T', 'W', 'M', 'F'};
constexpr int kFrameVersion = 2;

bool checkVideo(const MediaFrame &f, QString *why) {
  if (f.source != Source::Camera && f.source != Source::Screen && f.source != Source::Media) {
    *why = QStringLiteral("video frame with an unknown source");
    return false;
  }
  if (f.format != MediaFrame::Vp8) {
    *why = QStringLiteral("video frame in an unknown format (raw pictures do not travel)");
    return false;
  }
  if (f.width < 1 || f.height < 1 || f.width > kMaxVideoSide || f.height > kMaxVideoSide) {
    *why = QStringLiteral("video frame size out of range");
    return false;
  }
  if (f.rotation > 3) {
    *why = QStringLiteral("video frame rotation out of range");
    return false;
  }
  if (f.payload.isEmpty()) {
    *why = QStringLiteral("empty video payload");
    return false;
  }
  return true;
}

bool checkAudio(const MediaFrame &f, QString *why) {
  if (f.source != Source::Audio || f.format != MediaFrame::Opus) {
    *why = QStringLiteral("audio frame with an unknown source or format (raw samples do not travel)");
    return false;
  }
  if (f.keyframe) {
    *why = QStringLiteral("audio frame with the keyframe flag");
    return false;
  }
  if (f.channels < 1 || f.channels > 2 || f.sampleRate != kOpusRate) {
    *why = QStringLiteral("Opus frame layout out of range");
    return false;
  }
  if (f.payload.isEmpty() || f.payload.size() > kMaxOpusPacket) {
    *why = QStringLiteral("Opus payload empty or over one packet");
    return false;
  }
  return true;
}

} // namespace

int i420Size(int width, int height) {
  const int cw = (width + 1) / 2;
  const int ch = (height + 1) / 2;
  return width * height + 2 * cw * ch;
}

MediaFrame videoFrame(Source source, int width, int height, const QByteArray &i420, quint32 timestamp) {
  MediaFrame f;
  f.kind = MediaFrame::Video;
  f.source = source;
  f.format = MediaFrame::I420;
  f.width = static_cast<quint16>(width);
  f.height = static_cast<quint16>(height);
  f.timestamp = timestamp;
  f.keyframe = true; // a raw picture stands alone
  f.payload = i420;
  return f;
}

MediaFrame vp8Frame(Source source, int width, int height, const QByteArray &vp8, bool keyframe,
                    quint32 sequence, quint32 timestamp) {
  MediaFrame f = videoFrame(source, width, height, vp8, timestamp);
  f.format = MediaFrame::Vp8;
  f.keyframe = keyframe;
  f.sequence = sequence;
  return f;
}

MediaFrame opusFrame(const QByteArray &opus, quint32 sequence, quint32 timestamp) {
  MediaFrame f;
  f.kind = MediaFrame::Audio;
  f.source = Source::Audio;
  f.format = MediaFrame::Opus;
  f.channels = 1;
  f.sampleRate = kOpusRate;
  f.sequence = sequence;
  f.timestamp = timestamp;
  f.payload = opus;
  return f;
}

QByteArray encodeFrame(const MediaFrame &f) {
  const int idLength = qMin(f.userId.size(), kMaxFrameUserId);
  QByteArray out(kFrameHeaderSize + idLength + f.payload.size(), '\0');
  uchar *p = reinterpret_cast<uchar *>(out.data());
  std::memcpy(p, kMagic, 4);
  p[4] = kFrameVersion;
  p[5] = f.kind;
  p[6] = static_cast<quint8>(f.source);
  p[7] = f.format;
  const bool video = f.kind == MediaFrame::Video;
  qToLittleEndian<quint16>(video ? f.width : f.channels, p + 8);
  qToLittleEndian<quint16>(video ? f.height : 0, p + 10);
  p[12] = video ? f.rotation : 0;
  p[13] = static_cast<quint8>(idLength);
  p[14] = f.keyframe ? MediaFrame::Keyframe : 0;
  qToLittleEndian<quint32>(video ? 0 : f.sampleRate, p + 16);
  qToLittleEndian<quint32>(f.timestamp, p + 20);
  qToLittleEndian<quint32>(f.sequence, p + 24);
  std::memcpy(p + kFrameHeaderSize, f.userId.constData(), idLength);
  if (!f.payload.isEmpty())
    std::memcpy(p + kFrameHeaderSize + idLength, f.payload.constData(), f.payload.size());
  return out;
}

bool decodeFrame(const QByteArray &bytes, MediaFrame *f, QString *why) {
  if (bytes.size() < kFrameHeaderSize) {
    *why = QStringLiteral("frame shorter than its header");
    return false;
  }
  const uchar *p = reinterpret_cast<const uchar *>(bytes.constData());
  if (std::memcmp(p, kMagic, 4) != 0) {
    *why = QStringLiteral("not a media frame");
    return false;
  }
  if (p[4] != kFrameVersion) {
    *why = QStringLiteral("unsupported media frame version");
    return false;
  }
  if (p[5] != MediaFrame::Video && p[5] != MediaFrame::Audio) {
    *why = QStringLiteral("unknown media kind");
    return false;
  }
  const int idLength = p[13];
  if (idLength > kMaxFrameUserId || kFrameHeaderSize + idLength > bytes.size()) {
    *why = QStringLiteral("user id does not fit the frame");
    return false;
  }
  *f = MediaFrame();
  f->kind = static_cast<MediaFrame::Kind>(p[5]);
  f->source = static_cast<Source>(p[6] < kSourceCount ? p[6] : 0xff);
  f->format = static_cast<MediaFrame::Format>(p[7]);
  const quint16 a = qFromLittleEndian<quint16>(p + 8);
  const quint16 b = qFromLittleEndian<quint16>(p + 10);
  if (f->kind == MediaFrame::Video) {
    f->width = a;
    f->height = b;
  } else {
    f->channels = a;
  }
  f->rotation = p[12];
  if ((p[14] & ~MediaFrame::Keyframe) != 0 || p[15] != 0) {
    *why = QStringLiteral("unknown media frame flags");
    return false;
  }
  f->keyframe = (p[14] & MediaFrame::Keyframe) != 0;
  f->sequence = qFromLittleEndian<quint32>(p + 24);
  f->sampleRate = qFromLittleEndian<quint32>(p + 16);
  f->timestamp = qFromLittleEndian<quint32>(p + 20);
  f->userId = bytes.mid(kFrameHeaderSize, idLength);
  f->payload = bytes.mid(kFrameHeaderSize + idLength);
  return f->kind == MediaFrame::Video ? checkVideo(*f, why) : checkAudio(*f, why);
}

QByteArray withUserId(const MediaFrame &frame, const QByteArray &userId) {
  MediaFrame copy = frame;
  copy.userId = userId;
  return encodeFrame(copy);
}

} // namespace hubproto
