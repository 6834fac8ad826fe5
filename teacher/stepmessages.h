#pragma once
// The class messages of a scenario's steps: the JSON parameters the chat, reward and roster
// steps send, and how a parameter reads on the console line that announces or reports it.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

struct ScenarioStep;
class ScenarioVariables;

namespace stepmessages {

// A JSON object on one line.
QString compact(const QJsonObject &object);
// A command's parameter as a step gives it: objects on one line, numbers as text.
QString paramText(const QJsonValue &value);
// ` "<text>"` for a console line, empty for no text: a chat page message as its text runs
// and [face 007] marks, anything else as it stands, on one line and cut to a length.
QString shown(int code, const QString &param);

// The chat page message of a chat step: a picture, or text runs and faces; sent under the
// step's name, else under `teacherName`.
QJsonObject chat(const ScenarioStep &step, const ScenarioVariables &vars, const QString &teacherName);
// Indented, as the toolkit writes the chat page messages the students' clients send.
QString chatParam(const QJsonObject &message);
// The red packet of a reward step for `to`, shown under `receiverName`.
QJsonObject reward(const ScenarioStep &step, const ScenarioVariables &vars, const QString &to,
                   const QString &receiverName);
// A roster notice.
QString rosterParam(int notifyId, const QJsonArray &entries);

} // namespace stepmessages
