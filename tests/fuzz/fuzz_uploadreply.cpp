// Fuzz target: the storage's answer to a chat picture upload. Whatever address it names goes
// into a picture message that is well-formed JSON carrying exactly that address.
#include "fuzzapp.h"

#include "classroom/chatpictureupload.h"

#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  const QString url = ChatPictureUpload::accessUrlOf(fuzzapp::bytes(data, size));
  const QVariantMap message = ChatPictureUpload::pictureMessage(QStringLiteral("学生"), url);
  const QByteArray json = QJsonDocument(QJsonObject::fromVariantMap(message)).toJson();
  fuzzapp::check(QJsonDocument::fromJson(json).object().toVariantMap() == message,
                 "a picture message does not read back");
  return 0;
}
