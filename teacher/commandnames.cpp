#include "teacher/commandnames.h"

#include <QHash>

namespace commandnames {

QString of(int code) {
  static const QHash<int, QString> names = {
      {1, QStringLiteral("entered")},
      {2, QStringLiteral("teacher leaves")},
      {4, QStringLiteral("left the class")},
      {6, QStringLiteral("everyone off stage")},
      {2049, QStringLiteral("call on stage")},
      {2050, QStringLiteral("take off stage")},
      {2051, QStringLiteral("is on stage")},
      {2053, QStringLiteral("left the stage")},
      {2054, QStringLiteral("raises a hand")},
      {2055, QStringLiteral("microphone closed")},
      {2056, QStringLiteral("chat")},
      {2057, QStringLiteral("display")},
      {2058, QStringLiteral("joined")},
      {2059, QStringLiteral("chat permission")},
      {2060, QStringLiteral("joined, new version")},
      {2061, QStringLiteral("chat permission")},
      {2101, QStringLiteral("reward")},
      {2102, QStringLiteral("reward")},
      {2103, QStringLiteral("camera request")},
      {2104, QStringLiteral("camera opened")},
      {2105, QStringLiteral("camera off")},
      {2106, QStringLiteral("camera closed")},
      {2109, QStringLiteral("roster notice")},
      {2110, QStringLiteral("chat permission for all")},
      {2111, QStringLiteral("chat permission for one")},
      {2112, QStringLiteral("asks for chat permission")},
      {2113, QStringLiteral("chat permission snapshot")},
  };
  return names.value(code);
}

QString labelled(int code) {
  const QString name = of(code);
  return name.isEmpty() ? QString::number(code) : QStringLiteral("%1 (%2)").arg(code).arg(name);
}

} // namespace commandnames
