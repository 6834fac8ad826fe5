#include "teacher/console/consoleclass.h"

#include "classroom_widgets/textedit.h"
#include "core/deployment.h"
#include "teacher/console/stagegrant.h"

#include <QJsonArray>
#include <QJsonDocument>

using hubproto::Element;

namespace {

QString indented(const QJsonObject &o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)); }
QString compact(const QJsonObject &o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }
QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

QJsonObject ConsoleClass::pageItem(const Element &e) {
  const bool face = e.kind == Element::Face;
  return {{QStringLiteral("type"), face ? QStringLiteral("face") : QStringLiteral("text")},
          {QStringLiteral("value"), face ? TextEdit::emojiCode(e.faceIndex) : e.text}};
}

ConsoleClass::ConsoleClass(sdk::HubTransportFactory transports, QObject *parent)
    : QObject(parent), m_session(std::move(transports)), m_roster(this) {
  connect(&m_session, &TeacherSession::commandReceived, this, &ConsoleClass::onCommand);
  connect(&m_session, &TeacherSession::messageReceived, this, &ConsoleClass::onMessage);
  connect(&m_session, &TeacherSession::memberEntered, &m_roster, &ConsoleRoster::entered);
  connect(&m_session, &TeacherSession::memberLeft, &m_roster, &ConsoleRoster::left);
  connect(&m_session, &TeacherSession::lost, this, &ConsoleClass::problem);
}

QString ConsoleClass::teacherName() const {
  return m_credentials.name.isEmpty() ? m_credentials.userId : m_credentials.name;
}

void ConsoleClass::start(const TeacherCredentials &credentials, quint32 roomId) {
  m_credentials = credentials;
  m_session.setImRoute({Deployment::instance().imAddress(), credentials.imToken});
  m_session.setMediaRoute(credentials.mediaRoute(Deployment::instance().mediaAddress()));
  m_session.signIn(credentials.userId, credentials.userSig, [this, roomId](int code, const QString &desc) {
    if (code != 0)
      return complain(QStringLiteral("登录课堂服务"), code, desc);
    m_session.enter(roomId, m_credentials.authBuffer,
                    [this](int code, const QString &desc, const QStringList &members) {
                      if (code != 0)
                        return complain(QStringLiteral("进入教室"), code, desc);
                      m_state.reset();
                      m_roster.clear();
                      for (const QString &m : members)
                        m_roster.entered(m);
                      emit entered();
                    });
  });
}

void ConsoleClass::complain(const QString &doing, int code, const QString &desc) {
  emit problem(QStringLiteral("%1失败：%2 %3").arg(doing).arg(code).arg(desc));
}

TeacherSession::Done ConsoleClass::reportFailure(const QString &doing) {
  return [this, doing](int code, const QString &desc) {
    if (code != 0)
      complain(doing, code, desc);
  };
}

void ConsoleClass::send(const QString &to, ClassCommandCode code, const QString &param) {
  m_state.commandSent(to, toWire(code), param);
  m_session.sendCommand(to, toWire(code), param, reportFailure(QStringLiteral("发送指令 %1").arg(toWire(code))));
}

void ConsoleClass::callOnStage(const QString &userId, bool withCamera) {
  m_roster.setHandRaised(userId, false);
  stagegrant::grant(m_session, userId, [this, userId, withCamera](int code, const QString &desc) {
    if (code != 0)
      return complain(QStringLiteral("授权上台"), code, desc);
    m_granted.insert(userId);
    send(userId, withCamera ? ClassCommandCode::CameraRequest : ClassCommandCode::CallOnStage, QString());
  });
}

void ConsoleClass::revokeStage(const QString &userId) {
  m_granted.remove(userId);
  stagegrant::revoke(m_session, userId, reportFailure(QStringLiteral("收回上台")));
}

void ConsoleClass::takeOffStage(const QString &userId) {
  send(QString(), ClassCommandCode::TakeOffStage, userId);
  revokeStage(userId);
}

void ConsoleClass::closeCamera(const QString &userId) {
  send(userId, ClassCommandCode::CameraOff, QString());
  revokeStage(userId);
}

void ConsoleClass::everyoneOffStage() {
  send(QString(), ClassCommandCode::EveryoneOffStage, QString());
  const QSet<QString> granted = m_granted;
  for (const QString &userId : granted)
    revokeStage(userId);
}

void ConsoleClass::reward(const QString &userId, int amount, const QString &message) {
  const QString name = m_roster.nameOf(userId);
  const QJsonObject reward{{QStringLiteral("type"), QStringLiteral("101")},
                           {QStringLiteral("amount"), amount},
                           {QStringLiteral("receiver"), userId},
                           {QStringLiteral("receiver_name"), name},
                           {QStringLiteral("message"), message},
                           {QStringLiteral("memo"), message}};
  send(QString(), ClassCommandCode::Reward, compact(reward));
}

void ConsoleClass::setChatMuted(const QString &userId, bool muted) {
  m_roster.setChatMuted(userId, muted);
  send(userId, ClassCommandCode::ForbidYou, flag(muted));
}

void ConsoleClass::setDiscussionOpen(bool open) {
  m_discussionOpen = open;
  send(QString(), ClassCommandCode::ForbidAll, flag(!open));
}

void ConsoleClass::setDisplay(const QString &mode) {
  m_display = mode;
  send(QString(), ClassCommandCode::Display, mode);
}

void ConsoleClass::endClass() {
  m_session.sendCommand(QString(), toWire(ClassCommandCode::TeacherLeaves), m_credentials.userId,
                        [this](int, const QString &) {
                          // Leave even when the class could not be told: the hub tells it we left.
                          m_session.leave([this](int, const QString &) { emit ended(); });
                        });
}

void ConsoleClass::sendChat(const QVector<Element> &plain, const QJsonObject &pageMessage) {
  if (!plain.isEmpty())
    m_session.sendElements(QString(), plain, reportFailure(QStringLiteral("发送消息")));
  if (pageMessage.isEmpty())
    return;
  const QString text = indented(pageMessage);
  send(QString(), ClassCommandCode::Chat, text);
  emit chatToShow(text, 0);
}

void ConsoleClass::onCommand(const ReceivedCommand &c) {
  m_state.commandReceived(c);
  m_roster.commandReceived(c);
  switch (static_cast<ClassCommandCode>(c.code)) {
  case ClassCommandCode::Chat:
    m_pageClients.insert(c.from);
    emit chatToShow(c.param, 0);
    break;
  case ClassCommandCode::JoinedNewVersion:
    m_pageClients.insert(c.from);
    break;
  case ClassCommandCode::AskChatPermission:
    if (c.direct)
      send(c.from, ClassCommandCode::ChatSnapshot, compact(m_state.snapshotFor(c.from)));
    break;
  default:
    break;
  }
}

void ConsoleClass::onMessage(const hubproto::ImMessage &message) {
  // Clients that send the chat page message too would be shown twice.
  if (m_pageClients.contains(message.from))
    return;
  QJsonArray items;
  for (const Element &e : message.elems)
    if (e.kind == Element::Text || e.kind == Element::Face)
      items.append(pageItem(e));
  if (items.isEmpty())
    return;
  emit chatToShow(indented({{QStringLiteral("name"), m_roster.nameOf(message.from)},
                            {QStringLiteral("type"), QStringLiteral("message")},
                            {QStringLiteral("contents"), items}}),
                  message.time);
}
