#include "messaging/wbmessage.h"

#include "messaging/imservice.h"
#include "messaging/wbenvelope.h"

#include <QDebug>

#include <cstring>

namespace wbmessage {

namespace {

uint32_t lengthOf(const char *text) { return static_cast<uint32_t>(std::strlen(text)); }

im::ElemHandle makeElem(const std::string &envelope) {
  const char *bytes = envelope.data();
  const uint32_t length = static_cast<uint32_t>(envelope.size());
  if (envelope.size() <= wbenvelope::kMaxCustomBytes) {
    im::ElemHandle elem = im::createElem(im::IM_ELEM_CUSTOM);
    im::setCustomData(elem, bytes, length);
    im::setCustomExt(elem, wbenvelope::kExt, lengthOf(wbenvelope::kExt));
    return elem;
  }
  im::ElemHandle elem = im::createElem(im::IM_ELEM_FILE);
  im::setFileData(elem, bytes, length);
  im::setFileName(elem, wbenvelope::kExt, lengthOf(wbenvelope::kExt));
  return elem;
}

// Lives until the send is answered.
struct SendContext {
  im::ConvHandle conv;
};

void onSent(void *data) {
  auto *context = static_cast<SendContext *>(data);
  im::destroyConversation(context->conv);
  delete context;
}

void onSendError(int code, const char *, void *data) {
  qDebug("txcloud:OnSendWBDataError code = %d", code);
  onSent(data);
}

void onFileData(const char *bytes, uint32_t length, void *data) {
  deliverEnvelope(bytes, length, static_cast<IMService *>(data));
}

void onFileError(int code, const char *, void *) { qDebug("txcloud:OnGetWBFileDataError code = %d", code); }

void decodeElem(im::ElemHandle elem, IMService *service) {
  switch (im::getElemType(elem)) {
  case im::IM_ELEM_CUSTOM: {
    QByteArray data(int(im::getCustomDataSize(elem)) + 1, '\0');
    uint32_t length = uint32_t(data.size());
    if (im::getCustomData(elem, data.data(), &length) == im::IM_OK)
      deliverEnvelope(data.constData(), length, service);
    break;
  }
  case im::IM_ELEM_FILE: {
    im::FileDataCallback callback;
    callback.onSuccess = &onFileData;
    callback.onError = &onFileError;
    callback.data = service;
    im::getFileData(elem, &callback);
    break;
  }
  default:
    break;
  }
}

} // namespace

void send(const std::string &groupId, const std::string &envelope) {
  auto *context = new SendContext{im::createConversation()};
  im::getConversation(context->conv, im::IM_CONV_GROUP, groupId.c_str());
  im::MessageHandle msg = im::createMessage();
  im::ElemHandle elem = makeElem(envelope);
  im::addElem(msg, elem);
  im::destroyElem(elem);
  im::OfflinePushHandle push = im::createOfflinePush();
  im::setOfflinePushExt(push, wbenvelope::kExt, lengthOf(wbenvelope::kExt));
  im::setMessageOfflinePush(msg, push);
  im::destroyOfflinePush(push);
  im::CommCallback callback;
  callback.onSuccess = &onSent;
  callback.onError = &onSendError;
  callback.data = context;
  if (im::sendMessage(context->conv, msg, &callback) != im::IM_OK)
    onSendError(im::IM_ERR_INVALID_ARGUMENT, "", context);
  im::destroyMessage(msg);
}

void decode(im::MessageHandle msg, int elemCount, IMService *service) {
  for (int i = 0; i < elemCount; ++i) {
    im::ElemHandle elem = im::getElem(msg, i);
    if (!elem)
      continue;
    decodeElem(elem, service);
    im::destroyElem(elem);
  }
}

void deliverEnvelope(const char *bytes, std::size_t length, IMService *service) {
  std::string value;
  if (service && wbenvelope::unwrap(bytes, length, &value))
    service->deliverWBData(value.data(), static_cast<unsigned>(value.size()));
}

} // namespace wbmessage
