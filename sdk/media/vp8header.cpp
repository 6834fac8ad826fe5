#include "sdk/media/vp8header.h"

namespace media {

namespace {
constexpr int kTagSize = 3;
constexpr int kKeyframeHeaderSize = 10; // tag, start code, width and height
constexpr int kMaxVersion = 3;
} // namespace

bool Vp8Header::read(const QByteArray &payload, Vp8Header *out) {
  const auto *p = reinterpret_cast<const unsigned char *>(payload.constData());
  if (payload.size() < kTagSize)
    return false;
  const quint32 tag = p[0] | (p[1] << 8) | (p[2] << 16);
  const bool keyframe = (tag & 1) == 0;
  const int version = (tag >> 1) & 7;
  const int firstPartition = static_cast<int>(tag >> 5);
  const int headerSize = keyframe ? kKeyframeHeaderSize : kTagSize;
  if (version > kMaxVersion || payload.size() < headerSize || firstPartition < 1 ||
      firstPartition > payload.size() - headerSize)
    return false;
  *out = Vp8Header();
  out->keyframe = keyframe;
  out->shown = ((tag >> 4) & 1) != 0;
  if (!keyframe)
    return true;
  if (p[3] != 0x9d || p[4] != 0x01 || p[5] != 0x2a)
    return false;
  out->width = (p[6] | (p[7] << 8)) & 0x3fff;
  out->height = (p[8] | (p[9] << 8)) & 0x3fff;
  return out->width > 0 && out->height > 0;
}

} // namespace media
