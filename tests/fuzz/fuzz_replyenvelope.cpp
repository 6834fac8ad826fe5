// Fuzz target: a backend reply body read as its envelope {"errorCode", "errorInfo", "data"}.
// A code that is not zero in the body is never read as success.
#include "fuzzapp.h"

#include "net/sxbserverhelper.h"

#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  const QByteArray body = fuzzapp::bytes(data, size);
  SxbServerHelper::Reply reply;
  if (!SxbServerHelper::decodeReply(body, &reply))
    return 0;
  const QJsonValue code = QJsonDocument::fromJson(body).object().value(QStringLiteral("errorCode"));
  if (code.isDouble() && code.toDouble() >= 1 && code.toDouble() <= 1e9)
    fuzzapp::check(reply.errorCode != 0, "a failing code read as success");
  return 0;
}
