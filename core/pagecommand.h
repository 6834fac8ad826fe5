#pragma once
// A command a portal page hands the shell as JSON text: {"action": n, "data": {...}}.

#include <QString>
#include <QVariantMap>

struct PageCommand {
  enum Action { None = 0, EnterClass = 1 };

  int action = None; // an integer or numeric text; anything else reads as None
  QVariantMap data;  // empty unless "data" is an object

  // False (out untouched) when the text is not a JSON object.
  static bool parse(const QString &json, PageCommand *out);
};
