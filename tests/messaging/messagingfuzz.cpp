#include "messagingfuzz.h"

#include "messaging/classcommand.h"

#include <QByteArray>
#include <QList>

namespace messagingfuzz {
namespace {

enum Target : uint8_t { CommandParser = 0, TargetCount };

// Whatever the parser accepts must survive a write and a second read unchanged.
QString fuzzCommandParser(const QByteArray &input) {
  ClassCommand first;
  first.userAction = 12345;
  first.actionParam = QStringLiteral("untouched");
  if (!ClassCommand::parse(input, &first)) {
    if (first.userAction != 12345 || first.actionParam != QStringLiteral("untouched"))
      return QStringLiteral("refused input changed the result");
    return QString();
  }
  ClassCommand second;
  if (!ClassCommand::parse(ClassCommand::toJson(first.userAction, first.actionParam), &second))
    return QStringLiteral("written command does not parse");
  if (second.userAction != first.userAction || second.actionParam != first.actionParam)
    return QStringLiteral("command changed through write and read");
  return QString();
}

} // namespace

QString runOne(const uint8_t *data, size_t size) {
  if (size == 0)
    return QString();
  const QByteArray rest(reinterpret_cast<const char *>(data + 1), int(size - 1));
  switch (data[0] % TargetCount) {
  case CommandParser:
    return fuzzCommandParser(rest);
  }
  return QString();
}

QList<QByteArray> seeds() {
  QList<QByteArray> out;
  const auto command = [&out](const QByteArray &json) {
    out << QByteArray(1, char(CommandParser)) + json;
  };
  command(ClassCommand::toJson(2051, QStringLiteral("abc")));
  command(ClassCommand::toJson(2056, QStringLiteral("{\"name\":\"小明\",\"type\":\"message\"}")));
  command(R"({"userAction":"2110","actionParam":"1"})");
  command(R"({"userAction":2101,"actionParam":"{\"type\":\"101\",\"amount\":5}"})");
  command(R"({"userAction":1,"actionParam":"\ud800 lone"})");
  command(R"({"userAction":-0.0,"actionParam":null,"x":[1,{"y":"\ud83d\ude00"}]})");
  return out;
}

} // namespace messagingfuzz
