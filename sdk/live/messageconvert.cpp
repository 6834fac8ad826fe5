#include "sdk/live/messageconvert.h"

namespace ilivesdk {

namespace {
QByteArray bytes(const ilive::String &s) { return QByteArray(s.c_str(), static_cast<int>(s.size())); }
} // namespace

QVector<hubproto::Element> toHubElements(const ilive::Message &message) {
  QVector<hubproto::Element> out;
  for (const ilive::MessageElem *elem : message.elems) {
    if (!elem)
      continue;
    hubproto::Element e;
    switch (elem->type) {
    case ilive::MESSAGE_ELEM_TEXT:
      e.kind = hubproto::Element::Text;
      e.text = QString::fromUtf8(bytes(static_cast<const ilive::MessageTextElem *>(elem)->text));
      break;
    case ilive::MESSAGE_ELEM_CUSTOM: {
      const auto *custom = static_cast<const ilive::MessageCustomElem *>(elem);
      e.kind = hubproto::Element::Custom;
      e.data = bytes(custom->data);
      e.ext = QString::fromUtf8(bytes(custom->ext));
      break;
    }
    case ilive::MESSAGE_ELEM_FACE: {
      const auto *face = static_cast<const ilive::MessageFaceElem *>(elem);
      e.kind = hubproto::Element::Face;
      e.faceIndex = face->index;
      e.data = bytes(face->data);
      break;
    }
    default:
      continue;
    }
    out.append(e);
  }
  return out;
}

} // namespace ilivesdk
