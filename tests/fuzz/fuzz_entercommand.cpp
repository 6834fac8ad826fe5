// Fuzz target: a portal page's command JSON, the way into a class ({"action": 1, "data": {...}}).
// What the shell reads from it reads the same from the command written out again.
#include "fuzzapp.h"

#include "core/pagecommand.h"

#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzzapp::init();
  PageCommand command;
  if (!PageCommand::parse(QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size)), &command))
    return 0;
  const QJsonObject written{{QStringLiteral("action"), command.action},
                            {QStringLiteral("data"), QJsonObject::fromVariantMap(command.data)}};
  PageCommand again;
  fuzzapp::check(PageCommand::parse(QString::fromUtf8(QJsonDocument(written).toJson()), &again),
                 "a written command does not parse");
  fuzzapp::check(again.action == command.action && again.data == command.data,
                 "a command changes when written and read back");
  return 0;
}
