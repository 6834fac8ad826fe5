#include "teacher/scenarioreader.h"

#include "teacher/fieldreader.h"
#include "teacher/scenariovariables.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <climits>

namespace {

constexpr double kMaxSeconds = 86400;
constexpr int kMaxFps = 30;
constexpr int kMaxFaceIndex = 999;
constexpr int kMaxDocumentPages = 500;
constexpr int kBoardWidth = 1600;
constexpr int kBoardHeight = 900;
constexpr int kMaxLineWidth = 10000;

const QStringList &boardTools() {
  static const QStringList tools{QStringLiteral("pen"), QStringLiteral("line"), QStringLiteral("ellipse"),
                                 QStringLiteral("rectangle"), QStringLiteral("eraser"), QStringLiteral("select")};
  return tools;
}

// "#rrggbb" or "#rrggbbaa" as RGBA.
bool readColor(const QString &text, quint32 *rgba) {
  bool ok = false;
  const quint32 value = text.mid(1).toUInt(&ok, 16);
  if (!text.startsWith(QLatin1Char('#')) || !ok || (text.size() != 7 && text.size() != 9))
    return false;
  *rgba = text.size() == 7 ? (value << 8) | 0xFFu : value;
  return true;
}

void readBoardTool(FieldReader &f, ScenarioStep &step) {
  f.text("tool", &step.text, true);
  if (f.ok() && !boardTools().contains(step.text))
    f.fail(QStringLiteral("\"tool\" must be one of %1").arg(boardTools().join(QStringLiteral(", "))));
  QString color = QStringLiteral("#000000");
  f.text("color", &color);
  if (f.ok() && !readColor(color, &step.color))
    f.fail(QStringLiteral("\"color\" must be #rrggbb or #rrggbbaa, not \"%1\"").arg(color));
  f.whole("width", &step.width, 1, kMaxLineWidth);
  f.flag("fill", &step.fill);
}

void readBoardDraw(FieldReader &f, ScenarioStep &step) {
  f.array("points", &step.points, true);
  for (const QJsonValue &p : step.points) {
    const QJsonArray xy = p.toArray();
    const double x = xy.at(0).toDouble(-1), y = xy.at(1).toDouble(-1);
    if (xy.size() != 2 || x < 0 || x > kBoardWidth || y < 0 || y > kBoardHeight) {
      f.fail(QStringLiteral("\"points\" are [x, y] pairs within the 1600 x 900 board"));
      return;
    }
  }
  if (f.ok() && step.points.isEmpty())
    f.fail(QStringLiteral("\"points\" needs at least one point"));
}

const QList<QPair<QString, StepKind>> &kinds() {
  static const QList<QPair<QString, StepKind>> list = [] {
    QList<QPair<QString, StepKind>> l;
    for (StepKind k : {StepKind::Enter, StepKind::Leave, StepKind::Wait, StepKind::WaitMember,
                       StepKind::WaitLeave, StepKind::WaitCommand, StepKind::Publish, StepKind::Unpublish,
                       StepKind::Command, StepKind::Display, StepKind::Chat, StepKind::Text,
                       StepKind::Reward, StepKind::Roster, StepKind::Print, StepKind::BoardTool,
                       StepKind::BoardDraw, StepKind::BoardPage, StepKind::BoardDocument,
                       StepKind::BoardGoto, StepKind::BoardUndo, StepKind::BoardClear,
                       StepKind::Classmate})
      l.append({ScenarioStep::kindName(k), k});
    return l;
  }();
  return list;
}

// "line L, column C" of a byte offset, for JSON syntax errors.
QString position(const QByteArray &json, int offset) {
  int line = 1;
  int column = 1;
  for (int i = 0; i < offset && i < json.size(); ++i) {
    if (json.at(i) == '\n') {
      ++line;
      column = 1;
    } else if ((json.at(i) & 0xC0) != 0x80) { // count characters, not UTF-8 bytes
      ++column;
    }
  }
  return QStringLiteral("line %1, column %2").arg(line).arg(column);
}

} // namespace

QStringList ScenarioReader::stepKindNames() {
  QStringList names;
  for (const auto &k : kinds())
    names.append(k.first);
  return names;
}

bool ScenarioReader::readFile(const QString &path, Scenario *out, QString *error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("%1: cannot read the scenario: %2").arg(path, file.errorString());
    return false;
  }
  QString problem;
  if (read(file.readAll(), out, &problem))
    return true;
  *error = path + QStringLiteral(": ") + problem;
  return false;
}

bool ScenarioReader::read(const QByteArray &json, Scenario *out, QString *error) {
  QJsonParseError parse;
  const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
  if (parse.error != QJsonParseError::NoError) {
    *error = QStringLiteral("not valid JSON at %1: %2").arg(position(json, parse.offset), parse.errorString());
    return false;
  }
  if (!doc.isObject()) {
    *error = QStringLiteral("a scenario is a JSON object with a \"steps\" list");
    return false;
  }
  Scenario scenario;
  ScenarioReader reader(&scenario);
  if (!reader.readRoot(doc.object())) {
    *error = reader.m_error;
    return false;
  }
  *out = scenario;
  return true;
}

bool ScenarioReader::readRoot(const QJsonObject &root) {
  FieldReader f(root, QStringLiteral("scenario"));
  f.text("name", &m_out->name);
  QJsonValue room;
  bool hasRoom = false;
  f.value("room", &room, &hasRoom);
  if (hasRoom) {
    const double id = room.toDouble();
    if (!room.isDouble() || id < 1 || id > 4294967295.0 || id != static_cast<double>(static_cast<quint32>(id)))
      f.fail(QStringLiteral("\"room\" must be a room number from 1 to 4294967295"));
    else
      m_out->roomId = static_cast<quint32>(id);
  }
  f.seconds("timeout", &m_out->timeoutMs, kMaxSeconds);
  f.flag("chatSnapshot", &m_out->chatSnapshot);
  QJsonValue slide;
  bool hasSlide = false;
  f.value("slide", &slide, &hasSlide);
  QJsonArray steps;
  f.array("steps", &steps, true);
  if (!f.finish()) {
    m_error = f.error();
    return false;
  }
  if (hasSlide && !readSlide(slide))
    return false;
  if (steps.isEmpty()) {
    m_error = QStringLiteral("scenario: \"steps\" is empty; a scenario needs at least one step");
    return false;
  }
  if (m_out->slide.title.isEmpty())
    m_out->slide.title = m_out->name;
  m_defined = ScenarioVariables::builtInNames();
  for (int i = 0; i < steps.size(); ++i)
    if (!readStep(steps.at(i), i + 1))
      return false;
  return true;
}

bool ScenarioReader::readSlide(const QJsonValue &value) {
  const QString where = QStringLiteral("scenario \"slide\"");
  if (!value.isObject()) {
    m_error = where + QStringLiteral(": an object with \"title\" and \"lines\"");
    return false;
  }
  FieldReader f(value.toObject(), where);
  f.text("title", &m_out->slide.title);
  QJsonArray lines;
  f.array("lines", &lines);
  for (const QJsonValue &line : qAsConst(lines)) {
    if (!line.isString())
      f.fail(QStringLiteral("every entry of \"lines\" must be a text"));
    m_out->slide.lines.append(line.toString());
  }
  if (!f.finish())
    m_error = f.error();
  return f.ok();
}

bool ScenarioReader::readStep(const QJsonValue &value, int number) {
  const QString plain = QStringLiteral("step %1").arg(number);
  if (!value.isObject()) {
    m_error = plain + QStringLiteral(": a step is an object such as {\"do\": \"wait\", \"seconds\": 2}");
    return false;
  }
  const QJsonObject object = value.toObject();
  const QJsonValue what = object.value(QLatin1String("do"));
  if (!what.isString()) {
    m_error = plain + QStringLiteral(": \"do\" is missing; it names what the step does (%1)")
                          .arg(stepKindNames().join(QStringLiteral(", ")));
    return false;
  }
  ScenarioStep step;
  step.number = number;
  bool known = false;
  for (const auto &k : kinds()) {
    if (k.first == what.toString()) {
      step.kind = k.second;
      known = true;
    }
  }
  if (!known) {
    m_error = plain + QStringLiteral(": unknown step \"%1\" (known: %2)")
                          .arg(what.toString(), stepKindNames().join(QStringLiteral(", ")));
    return false;
  }
  FieldReader f(object, QStringLiteral("step %1 (\"%2\")").arg(number).arg(what.toString()));
  QString ignored;
  f.text("do", &ignored);
  f.flag("optional", &step.optional);
  checkReferences(f, object);
  readKind(f, step);
  checkRoom(f, step.kind);
  if (!f.finish()) {
    m_error = f.error();
    return false;
  }
  if (!step.capture.isEmpty())
    m_defined.append(step.capture);
  m_out->steps.append(step);
  return true;
}

void ScenarioReader::readKind(FieldReader &f, ScenarioStep &step) {
  switch (step.kind) {
  case StepKind::Enter:
    break;
  case StepKind::Leave:
    f.flag("announce", &step.announce);
    break;
  case StepKind::Wait:
    f.seconds("seconds", &step.durationMs, kMaxSeconds, true);
    break;
  case StepKind::WaitMember:
    step.user = QStringLiteral("*");
    f.text("user", &step.user);
    readCapture(f, step);
    readTimeout(f, step);
    break;
  case StepKind::WaitLeave:
    f.text("user", &step.user, true);
    if (step.user == QLatin1String("*"))
      f.fail(QStringLiteral("\"user\" must name one member; \"*\" is only for waitMember and waitCommand"));
    readTimeout(f, step);
    break;
  case StepKind::WaitCommand:
    readWaitCommand(f, step);
    break;
  case StepKind::Publish:
    readSource(f, step);
    f.whole("fps", &step.fps, 1, kMaxFps);
    break;
  case StepKind::Unpublish:
    readSource(f, step);
    break;
  case StepKind::Command:
    readCommand(f, step);
    break;
  case StepKind::Display:
    f.text("mode", &step.text, true);
    if (f.ok() && step.text != QLatin1String("Screen") && step.text != QLatin1String("WhiteBoard"))
      f.fail(QStringLiteral("\"mode\" must be \"Screen\" or \"WhiteBoard\", not \"%1\"").arg(step.text));
    break;
  case StepKind::Chat:
    readChat(f, step);
    break;
  case StepKind::Text:
    f.text("text", &step.text, true);
    f.text("to", &step.target);
    break;
  case StepKind::Reward:
    readReward(f, step);
    break;
  case StepKind::Roster:
    readRoster(f, step);
    break;
  case StepKind::Print:
    f.text("text", &step.text, true);
    break;
  case StepKind::Classmate:
    readClassmate(f, step);
    break;
  case StepKind::BoardTool:
    readBoardTool(f, step);
    break;
  case StepKind::BoardDraw:
    readBoardDraw(f, step);
    break;
  case StepKind::BoardDocument:
    f.text("file", &step.text, true);
    f.whole("pages", &step.pages, 1, kMaxDocumentPages, true);
    break;
  case StepKind::BoardGoto:
    f.whole("page", &step.page, 1, kMaxDocumentPages, true);
    break;
  case StepKind::BoardPage:
  case StepKind::BoardUndo:
  case StepKind::BoardClear:
    break;
  }
  if (step.target == QLatin1String("group"))
    step.target.clear();
}

// Either a service account (phone and password) or a user id signed with the service's secret.
void ScenarioReader::readClassmate(FieldReader &f, ScenarioStep &step) {
  f.text("phone", &step.phone);
  f.text("password", &step.password, !step.phone.isEmpty());
  f.text("user", &step.user, step.phone.isEmpty());
  f.text("name", &step.name);
  f.whole("fps", &step.fps, 1, kMaxFps);
}

void ScenarioReader::readWaitCommand(FieldReader &f, ScenarioStep &step) {
  f.whole("code", &step.code, 1, INT_MAX, true);
  step.user = QStringLiteral("*");
  f.text("from", &step.user);
  QString param;
  step.hasParam = f.has("param");
  f.text("param", &param);
  step.param = param;
  readCapture(f, step);
  readTimeout(f, step);
}

void ScenarioReader::readCommand(FieldReader &f, ScenarioStep &step) {
  f.whole("code", &step.code, 1, INT_MAX, true);
  f.text("to", &step.target);
  bool present = false;
  f.value("param", &step.param, &present);
  if (!present)
    step.param = QString();
  else if (!step.param.isString() && !step.param.isObject() && !step.param.isDouble())
    f.fail(QStringLiteral("\"param\" must be a text, a number or an object (sent as JSON text)"));
  step.hasParam = present;
}

void ScenarioReader::readChat(FieldReader &f, ScenarioStep &step) {
  f.text("text", &step.text);
  f.array("contents", &step.contents);
  f.text("picture", &step.picture);
  f.text("name", &step.name);
  if (!f.ok())
    return;
  if (int(f.has("text")) + int(f.has("contents")) + int(f.has("picture")) != 1) {
    f.fail(QStringLiteral("give either \"text\" or \"contents\" (texts and face numbers), or a \"picture\" address"));
    return;
  }
  if (f.has("picture")) {
    if (step.picture.isEmpty())
      f.fail(QStringLiteral("\"picture\" is empty; the class would see nothing"));
    return;
  }
  if (f.has("text")) {
    if (step.text.isEmpty())
      f.fail(QStringLiteral("\"text\" is empty; the class would see nothing"));
    return;
  }
  if (step.contents.isEmpty())
    f.fail(QStringLiteral("\"contents\" is empty; the class would see nothing"));
  for (const QJsonValue &item : qAsConst(step.contents)) {
    const double face = item.toDouble(-1);
    const bool isFace = item.isDouble() && face >= 0 && face <= kMaxFaceIndex && face == static_cast<int>(face);
    if (!(item.isString() && !item.toString().isEmpty()) && !isFace)
      f.fail(QStringLiteral("every entry of \"contents\" must be a non-empty text or a face number from 0 to %1")
                 .arg(kMaxFaceIndex));
  }
}

void ScenarioReader::readReward(FieldReader &f, ScenarioStep &step) {
  f.text("to", &step.target, true);
  if (step.target == QLatin1String("group"))
    f.fail(QStringLiteral("\"to\" must name the student who gets the reward"));
  f.whole("amount", &step.amount, 0, 100000000, true);
  step.rewardType = QStringLiteral("101");
  f.text("type", &step.rewardType);
  f.text("name", &step.name);
  step.message = QStringLiteral("恭喜[receiver_name]获得老师的红包奖励！");
  f.text("message", &step.message);
  step.memo = QStringLiteral("老师发放了课堂奖励");
  f.text("memo", &step.memo);
}

void ScenarioReader::readRoster(FieldReader &f, ScenarioStep &step) {
  step.hasRosterData = f.has("data");
  f.array("data", &step.rosterData);
  for (const QJsonValue &entry : qAsConst(step.rosterData)) {
    if (!entry.isObject() || !entry.toObject().value(QLatin1String("uid")).isString())
      f.fail(QStringLiteral("every entry of \"data\" must be an object with a \"uid\" text"));
  }
  f.whole("notifyId", &step.notifyId, 1, INT_MAX);
}

void ScenarioReader::readSource(FieldReader &f, ScenarioStep &step) {
  QString name;
  f.text("source", &name, true);
  if (!f.ok())
    return;
  if (name == QLatin1String("camera"))
    step.source = hubproto::Source::Camera;
  else if (name == QLatin1String("screen"))
    step.source = hubproto::Source::Screen;
  else
    f.fail(QStringLiteral("\"source\" must be \"camera\" or \"screen\", not \"%1\"").arg(name));
}

void ScenarioReader::readCapture(FieldReader &f, ScenarioStep &step) {
  f.text("as", &step.capture);
  if (!f.has("as") || !f.ok())
    return;
  if (!ScenarioVariables::isValidName(step.capture))
    f.fail(QStringLiteral("\"as\" must be a name of letters, digits and _, such as \"student\""));
  else if (ScenarioVariables::builtInNames().contains(step.capture))
    f.fail(QStringLiteral("\"as\": \"%1\" is built in and cannot be set").arg(step.capture));
}

void ScenarioReader::readTimeout(FieldReader &f, ScenarioStep &step) {
  step.timeoutMs = m_out->timeoutMs;
  f.seconds("timeout", &step.timeoutMs, kMaxSeconds);
}

void ScenarioReader::checkRoom(FieldReader &f, StepKind kind) {
  if (kind == StepKind::Enter) {
    if (m_inRoom)
      f.fail(QStringLiteral("the teacher is already in the room here; put a \"leave\" step before entering again"));
    m_inRoom = true;
  } else if (kind != StepKind::Wait && kind != StepKind::Print) {
    if (!m_inRoom)
      f.fail(QStringLiteral("the teacher is not in the room here; put an \"enter\" step before this one"));
    if (kind == StepKind::Leave)
      m_inRoom = false;
  }
}

void ScenarioReader::checkReferences(FieldReader &f, const QJsonObject &object) {
  QJsonObject uses = object;
  uses.remove(QStringLiteral("do"));
  uses.remove(QStringLiteral("as"));
  QStringList names;
  QString problem;
  if (!ScenarioVariables::references(uses, &names, &problem)) {
    f.fail(problem);
    return;
  }
  for (const QString &name : qAsConst(names)) {
    if (!m_defined.contains(name)) {
      f.fail(QStringLiteral("${%1} is not set by an earlier step (\"as\" of waitMember or waitCommand) "
                            "and is not built in (%2)")
                 .arg(name, ScenarioVariables::builtInNames().join(QStringLiteral(", "))));
      return;
    }
  }
}
