#include "sdk/im/imsdk.h"

#include "sdk/im/imbridge.h"
#include "sdk/im/imhandles.h"

#include <cstring>

namespace im {

namespace {

constexpr int kErrNotLoggedIn = 2004;

QByteArray bytesOf(const char *p, uint32_t length) {
  return p ? QByteArray(p, static_cast<int>(length)) : QByteArray();
}

hubproto::Element *elemOf(ElemHandle h) { return h ? &h->elem : nullptr; }

hubproto::Element *elemOfKind(ElemHandle h, hubproto::Element::Kind kind) {
  hubproto::Element *e = elemOf(h);
  return e && e->kind == kind ? e : nullptr;
}

int setField(ElemHandle h, hubproto::Element::Kind kind, QByteArray hubproto::Element::*field,
             const char *bytes, uint32_t length) {
  hubproto::Element *e = elemOfKind(h, kind);
  if (!e)
    return h ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  e->*field = bytesOf(bytes, length);
  return IM_OK;
}

} // namespace

ElemType elemTypeOf(const hubproto::Element &e) {
  switch (e.kind) {
  case hubproto::Element::Text: return IM_ELEM_TEXT;
  case hubproto::Element::Custom: return IM_ELEM_CUSTOM;
  case hubproto::Element::Face: return IM_ELEM_FACE;
  case hubproto::Element::File: return IM_ELEM_FILE;
  }
  return IM_ELEM_INVALID;
}

int copyOut(const QByteArray &bytes, char *buf, uint32_t *len) {
  if (!len)
    return IM_ERR_INVALID_ARGUMENT;
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  if (!buf || *len <= size) {
    *len = size;
    return IM_ERR_BUFFER_TOO_SMALL;
  }
  if (size)
    std::memcpy(buf, bytes.constData(), size);
  buf[size] = '\0';
  *len = size;
  return IM_OK;
}

void setMessageCallback(MessageCallback *callback) { imbridge::setCallback(callback); }

// Conversations.

ConvHandle createConversation() { return new ImConversation; }

void destroyConversation(ConvHandle conv) { delete conv; }

int getConversation(ConvHandle conv, ConvType type, const char *peer) {
  if (!conv)
    return IM_ERR_INVALID_HANDLE;
  if ((type != IM_CONV_C2C && type != IM_CONV_GROUP) || !peer || !*peer)
    return IM_ERR_INVALID_ARGUMENT;
  conv->type = type;
  conv->peer = QByteArray(peer);
  return IM_OK;
}

int conversationFromMessage(ConvHandle conv, MessageHandle msg) {
  if (!conv || !msg)
    return IM_ERR_INVALID_HANDLE;
  const hubproto::Conversation &c = msg->message.conv;
  conv->type = c.type == hubproto::Conversation::Group ? IM_CONV_GROUP : IM_CONV_C2C;
  conv->peer = c.peer.toUtf8();
  return IM_OK;
}

ConvType getConversationType(ConvHandle conv) { return conv ? conv->type : IM_CONV_NONE; }

uint32_t getConversationPeerSize(ConvHandle conv) {
  return conv ? static_cast<uint32_t>(conv->peer.size()) : 0;
}

int getConversationPeer(ConvHandle conv, char *buf, uint32_t *len) {
  return conv ? copyOut(conv->peer, buf, len) : IM_ERR_INVALID_HANDLE;
}

int sendMessage(ConvHandle conv, MessageHandle msg, const CommCallback *callback) {
  if (!conv || !msg)
    return IM_ERR_INVALID_HANDLE;
  if (conv->type == IM_CONV_NONE || msg->message.elems.isEmpty())
    return IM_ERR_INVALID_ARGUMENT;
  const CommCallback cb = callback ? *callback : CommCallback();
  auto finish = [cb](int code, const QString &desc) {
    imbridge::post([cb, code, desc] {
      if (code == 0 && cb.onSuccess)
        cb.onSuccess(cb.data);
      else if (code != 0 && cb.onError)
        cb.onError(code, desc.toUtf8().constData(), cb.data);
    });
  };
  const imbridge::Sender sender = imbridge::currentSender();
  if (!sender) {
    finish(kErrNotLoggedIn, QStringLiteral("not signed in"));
    return IM_OK;
  }
  hubproto::Conversation target;
  target.type = conv->type == IM_CONV_GROUP ? hubproto::Conversation::Group : hubproto::Conversation::C2C;
  target.peer = QString::fromUtf8(conv->peer);
  const hubproto::ImMessage &m = msg->message;
  sender(target, m.elems, m.hasOfflinePush ? &m.offlinePushExt : nullptr, finish);
  return IM_OK;
}

// Messages.

MessageHandle createMessage() { return new ImMessage; }

void destroyMessage(MessageHandle msg) { delete msg; }

uint32_t getMessageSenderSize(MessageHandle msg) {
  return msg ? static_cast<uint32_t>(msg->message.from.toUtf8().size()) : 0;
}

int getMessageSender(MessageHandle msg, char *buf, uint32_t *len) {
  return msg ? copyOut(msg->message.from.toUtf8(), buf, len) : IM_ERR_INVALID_HANDLE;
}

uint32_t getMessageTime(MessageHandle msg) { return msg ? msg->message.time : 0; }

int getElemCount(MessageHandle msg) { return msg ? msg->message.elems.size() : 0; }

ElemHandle getElem(MessageHandle msg, int index) {
  if (!msg || index < 0 || index >= msg->message.elems.size())
    return nullptr;
  return new ImElem{msg->message.elems[index]};
}

int addElem(MessageHandle msg, ElemHandle elem) {
  if (!msg || !elem)
    return IM_ERR_INVALID_HANDLE;
  msg->message.elems.append(elem->elem);
  return IM_OK;
}

// Elements.

ElemHandle createElem(ElemType type) {
  hubproto::Element e;
  switch (type) {
  case IM_ELEM_TEXT: e.kind = hubproto::Element::Text; break;
  case IM_ELEM_CUSTOM: e.kind = hubproto::Element::Custom; break;
  case IM_ELEM_FACE: e.kind = hubproto::Element::Face; break;
  case IM_ELEM_FILE: e.kind = hubproto::Element::File; break;
  default: return nullptr; // images and sounds are not carried by this layer
  }
  return new ImElem{e};
}

void destroyElem(ElemHandle elem) { delete elem; }

ElemType getElemType(ElemHandle elem) { return elem ? elemTypeOf(elem->elem) : IM_ELEM_INVALID; }

namespace {
QByteArray contentOf(ElemHandle elem, bool *ok) {
  *ok = true;
  if (hubproto::Element *e = elemOfKind(elem, hubproto::Element::Text))
    return e->text.toUtf8();
  if (hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom))
    return e->data;
  *ok = false;
  return QByteArray();
}
} // namespace

uint32_t getContentSize(ElemHandle elem) {
  bool ok = false;
  return static_cast<uint32_t>(contentOf(elem, &ok).size());
}

int getContent(ElemHandle elem, char *buf, uint32_t *len) {
  bool ok = false;
  const QByteArray content = contentOf(elem, &ok);
  if (!ok)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  return copyOut(content, buf, len);
}

int setTextContent(ElemHandle elem, const char *text, uint32_t length) {
  hubproto::Element *e = elemOfKind(elem, hubproto::Element::Text);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  e->text = QString::fromUtf8(bytesOf(text, length));
  return IM_OK;
}

int getFaceIndex(ElemHandle elem) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::Face);
  return e ? e->faceIndex : -1;
}

int setFaceIndex(ElemHandle elem, int index) {
  hubproto::Element *e = elemOfKind(elem, hubproto::Element::Face);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  e->faceIndex = index;
  return IM_OK;
}

uint32_t getCustomDataSize(ElemHandle elem) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom);
  return e ? static_cast<uint32_t>(e->data.size()) : 0;
}

int getCustomData(ElemHandle elem, char *buf, uint32_t *len) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  return copyOut(e->data, buf, len);
}

int setCustomData(ElemHandle elem, const char *bytes, uint32_t length) {
  return setField(elem, hubproto::Element::Custom, &hubproto::Element::data, bytes, length);
}

uint32_t getCustomExtSize(ElemHandle elem) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom);
  return e ? static_cast<uint32_t>(e->ext.toUtf8().size()) : 0;
}

int getCustomExt(ElemHandle elem, char *buf, uint32_t *len) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  return copyOut(e->ext.toUtf8(), buf, len);
}

int setCustomExt(ElemHandle elem, const char *bytes, uint32_t length) {
  hubproto::Element *e = elemOfKind(elem, hubproto::Element::Custom);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  e->ext = QString::fromUtf8(bytesOf(bytes, length));
  return IM_OK;
}

int setFileData(ElemHandle elem, const char *bytes, uint32_t length) {
  return setField(elem, hubproto::Element::File, &hubproto::Element::data, bytes, length);
}

int setFileName(ElemHandle elem, const char *name, uint32_t length) {
  hubproto::Element *e = elemOfKind(elem, hubproto::Element::File);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  e->name = QString::fromUtf8(bytesOf(name, length));
  return IM_OK;
}

uint32_t getFileNameSize(ElemHandle elem) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::File);
  return e ? static_cast<uint32_t>(e->name.toUtf8().size()) : 0;
}

int getFileName(ElemHandle elem, char *buf, uint32_t *len) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::File);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  return copyOut(e->name.toUtf8(), buf, len);
}

int getFileData(ElemHandle elem, const FileDataCallback *callback) {
  const hubproto::Element *e = elemOfKind(elem, hubproto::Element::File);
  if (!e)
    return elem ? IM_ERR_WRONG_ELEM_TYPE : IM_ERR_INVALID_HANDLE;
  if (!callback)
    return IM_ERR_INVALID_ARGUMENT;
  const FileDataCallback cb = *callback;
  const QByteArray data = e->data; // the element handle may be gone when the fetch completes
  imbridge::post([cb, data] {
    if (cb.onSuccess)
      cb.onSuccess(data.constData(), static_cast<uint32_t>(data.size()), cb.data);
  });
  return IM_OK;
}

// Offline-push information.

OfflinePushHandle createOfflinePush() { return new ImOfflinePush; }

void destroyOfflinePush(OfflinePushHandle push) { delete push; }

int setOfflinePushExt(OfflinePushHandle push, const char *ext, uint32_t length) {
  if (!push)
    return IM_ERR_INVALID_HANDLE;
  push->ext = bytesOf(ext, length);
  return IM_OK;
}

uint32_t getOfflinePushExtSize(OfflinePushHandle push) {
  return push ? static_cast<uint32_t>(push->ext.size()) : 0;
}

int getOfflinePushExt(OfflinePushHandle push, char *buf, uint32_t *len) {
  return push ? copyOut(push->ext, buf, len) : IM_ERR_INVALID_HANDLE;
}

int setMessageOfflinePush(MessageHandle msg, OfflinePushHandle push) {
  if (!msg || !push)
    return IM_ERR_INVALID_HANDLE;
  msg->message.hasOfflinePush = true;
  msg->message.offlinePushExt = QString::fromUtf8(push->ext);
  return IM_OK;
}

int getMessageOfflinePush(MessageHandle msg, OfflinePushHandle push) {
  if (!msg || !push)
    return IM_ERR_INVALID_HANDLE;
  if (!msg->message.hasOfflinePush)
    return IM_ERR_NOT_FOUND;
  push->ext = msg->message.offlinePushExt.toUtf8();
  return IM_OK;
}

} // namespace im
