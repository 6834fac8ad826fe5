#include "hubroundtrip.h"

#include "fuzzapp.h"

namespace hubroundtrip {

void checkFrame(const hubproto::MediaFrame &frame) {
  const QByteArray once = hubproto::encodeFrame(frame);
  hubproto::MediaFrame again;
  QString why;
  fuzzapp::check(hubproto::decodeFrame(once, &again, &why), "an accepted frame does not read back");
  fuzzapp::check(hubproto::encodeFrame(again) == once, "a frame changes when read back");
}

void checkMessage(const hubproto::ImMessage &message) {
  const QJsonObject once = hubproto::messageToJson(message);
  hubproto::ImMessage again;
  QString error;
  fuzzapp::check(hubproto::messageFromJson(once, &again, &error), "an accepted IM message does not read back");
  fuzzapp::check(hubproto::messageToJson(again) == once, "an IM message changes when read back");
}

} // namespace hubroundtrip
