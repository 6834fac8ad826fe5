#include "core/pagecommand.h"

#include "core/jsonhelpers.h"

#include <QJsonObject>

bool PageCommand::parse(const QString &json, PageCommand *out) {
  QJsonObject command;
  if (!jsonToObject(json, &command))
    return false;
  // toVariant() so that the pages' "1" counts as well as 1.
  out->action = command.value(QStringLiteral("action")).toVariant().toInt();
  out->data = command.value(QStringLiteral("data")).toObject().toVariantMap();
  return true;
}
