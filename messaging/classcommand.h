#pragma once
// The class command: a custom IM element tagged "LiveNotification" whose data is the JSON
// object {"actionParam": text, "userAction": integer}.

#include <QByteArray>
#include <QString>

class ClassCommand {
public:
  static const char *const kExt;  // "LiveNotification"

  int userAction = 0;
  QString actionParam;

  // The command's data exactly as other clients expect it: the toolkit's indented JSON
  // (four-space indentation, keys in ascending order, a line feed after the brace), UTF-8.
  static QByteArray toJson(int userAction, const QString &actionParam);

  // Reads a received custom element's content. False when it is not a JSON object; then
  // out is untouched. "userAction" may be a JSON integer or a numeric string; anything
  // else (missing, fractional, out of range, not numeric) reads as 0, a code nobody acts
  // on. "actionParam" is read as text (a number or bool gives its JSON spelling).
  static bool parse(const QString &text, ClassCommand *out);
  static bool parse(const QByteArray &utf8, ClassCommand *out);
};
