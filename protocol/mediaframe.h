#pragma once
// One media frame of the hub protocol (docs/protocol.md, "Media frames"): a fixed 28-byte
// little-endian header, the owner's user id and the payload.

#include "protocol/protocol.h"

#include <QByteArray>

namespace hubproto {

constexpr int kFrameHeaderSize = 28;
constexpr int kMaxFrameUserId = 128;
constexpr int kMaxVideoSide = 4096;
constexpr int kMaxOpusPacket = 1500; // bytes; one Opus packet is at most 1275
constexpr quint32 kOpusRate = 48000;

struct MediaFrame {
  enum Kind : quint8 { Video = 1, Audio = 2 };
  // On the wire only Vp8 and Opus; I420 is a decoded picture handed around inside a program.
  enum Format : quint8 { I420 = 0, PcmS16 = 1, Vp8 = 2, Opus = 3 };
  enum Flag : quint8 { Keyframe = 1 };
  Kind kind = Video;
  Source source = Source::Camera;
  Format format = I420;
  quint16 width = 0;  // video
  quint16 height = 0; // video
  quint8 rotation = 0;
  quint16 channels = 0;   // audio
  quint32 sampleRate = 0; // audio
  quint32 timestamp = 0;
  quint32 sequence = 0; // per stream, one more for each frame its publisher sends
  bool keyframe = false; // video: decodable without the frames before it
  QByteArray userId; // UTF-8
  QByteArray payload;
};

// Bytes of an I420 picture of w × h.
int i420Size(int width, int height);

// A decoded I420 picture of one of a member's video sources (never sent as it is).
MediaFrame videoFrame(Source source, int width, int height, const QByteArray &i420, quint32 timestamp);
// Frames as a publisher sends them: one VP8 frame of a video source, one Opus packet of 20 ms
// (mono, 48 kHz).
MediaFrame vp8Frame(Source source, int width, int height, const QByteArray &vp8, bool keyframe,
                    quint32 sequence, quint32 timestamp);
MediaFrame opusFrame(const QByteArray &opus, quint32 sequence, quint32 timestamp);

QByteArray encodeFrame(const MediaFrame &frame);
// Reads and checks a frame: header, sizes and payload length. On failure *why says what is
// wrong and the frame must be dropped.
bool decodeFrame(const QByteArray &bytes, MediaFrame *frame, QString *why);
// The same frame with another owner, re-encoded (the hub stamps the sender's id).
QByteArray withUserId(const MediaFrame &frame, const QByteArray &userId);

} // namespace hubproto
