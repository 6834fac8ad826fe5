#include "teacher/stepmessages.h"

#include "protocol/classcommandcode.h"
#include "teacher/scenario.h"
#include "teacher/scenariovariables.h"

#include <QJsonDocument>

namespace stepmessages {

namespace {

constexpr int kChat = toWire(ClassCommandCode::Chat);
constexpr int kShownParam = 160; // characters of a parameter shown on a console line

// The text of a chat page message: its text runs, faces as [face 007].
QString chatText(const QString &param) {
  const QJsonObject message = QJsonDocument::fromJson(param.toUtf8()).object();
  QString text;
  for (const QJsonValue &item : message.value(QLatin1String("contents")).toArray()) {
    const QJsonObject o = item.toObject();
    const QString value = o.value(QLatin1String("value")).toString();
    text += o.value(QLatin1String("type")).toString() == QLatin1String("face")
                ? QStringLiteral("[face %1]").arg(value)
                : value;
  }
  return text;
}

QString faceValue(int index) { return QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0')); }

QJsonObject chatItem(bool face, const QString &value) {
  return QJsonObject{{QStringLiteral("type"), face ? QStringLiteral("face") : QStringLiteral("text")},
                     {QStringLiteral("value"), value}};
}

} // namespace

QString compact(const QJsonObject &object) {
  return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString paramText(const QJsonValue &value) {
  if (value.isObject())
    return compact(value.toObject());
  if (value.isDouble())
    return value.toVariant().toString();
  return value.toString();
}

QString shown(int code, const QString &param) {
  QString text = code == kChat ? chatText(param) : param;
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  if (text.isEmpty())
    return QString();
  if (text.size() > kShownParam)
    text = text.left(kShownParam) + QStringLiteral("…");
  return QStringLiteral(" \"%1\"").arg(text);
}

QJsonObject chat(const ScenarioStep &s, const ScenarioVariables &vars, const QString &teacherName) {
  const QString name = s.name.isEmpty() ? teacherName : vars.expand(s.name);
  if (!s.picture.isEmpty())
    return QJsonObject{{QStringLiteral("name"), name},
                       {QStringLiteral("type"), QStringLiteral("image")},
                       {QStringLiteral("url"), vars.expand(s.picture)}};
  QJsonArray items;
  if (s.contents.isEmpty())
    items.append(chatItem(false, vars.expand(s.text)));
  for (const QJsonValue &v : s.contents)
    items.append(v.isDouble() ? chatItem(true, faceValue(v.toInt())) : chatItem(false, vars.expand(v.toString())));
  return QJsonObject{{QStringLiteral("name"), name},
                     {QStringLiteral("type"), QStringLiteral("message")},
                     {QStringLiteral("contents"), items}};
}

QString chatParam(const QJsonObject &message) {
  return QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Indented));
}

QJsonObject reward(const ScenarioStep &s, const ScenarioVariables &vars, const QString &to,
                   const QString &receiverName) {
  return QJsonObject{{QStringLiteral("type"), s.rewardType},
                     {QStringLiteral("amount"), s.amount},
                     {QStringLiteral("receiver"), to},
                     {QStringLiteral("receiver_name"), receiverName},
                     {QStringLiteral("message"), vars.expand(s.message)},
                     {QStringLiteral("memo"), vars.expand(s.memo)}};
}

QString rosterParam(int notifyId, const QJsonArray &entries) {
  return compact({{QStringLiteral("notify_id"), notifyId}, {QStringLiteral("data"), entries}});
}

} // namespace stepmessages
