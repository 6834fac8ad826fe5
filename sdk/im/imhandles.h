#pragma once
// What the IM library's handles point at. Internal to sdk/im.

#include "sdk/im/imsdk.h"
#include "protocol/immessage.h"

#include <QByteArray>

namespace im {

struct ImElem {
  hubproto::Element elem;
};

struct ImMessage {
  hubproto::ImMessage message;
};

struct ImConversation {
  ConvType type = IM_CONV_NONE;
  QByteArray peer;
};

struct ImOfflinePush {
  QByteArray ext;
};

ElemType elemTypeOf(const hubproto::Element &e);
// Copies bytes out by the (buf, len) rule of imsdk.h.
int copyOut(const QByteArray &bytes, char *buf, uint32_t *len);

} // namespace im
