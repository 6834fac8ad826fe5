#include "service/xmppadmin.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUuid>

#include <httplib.h>

const QString XmppAdmin::kServiceUser = QStringLiteral("service");

namespace {
const char kOwner[] = "owner";
const char kMember[] = "member";
const QString kMucPrefix = QStringLiteral("conference.");

QByteArray json(const QJsonObject &o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }
} // namespace

XmppAdmin::XmppAdmin(QString apiUrl, QString domain, QByteArray secret)
    : m_domain(std::move(domain)), m_secret(std::move(secret)) {
  const QUrl url(apiUrl);
  m_host = url.host();
  m_port = url.port(80);
}

bool XmppAdmin::call(const QString &command, const QByteArray &args, int *status, QByteArray *reply,
                     QString *error) {
  httplib::Client client(m_host.toStdString(), m_port);
  client.set_connection_timeout(kTimeoutS);
  client.set_read_timeout(kTimeoutS);
  const std::string user = QStringLiteral("%1@%2").arg(kServiceUser, m_domain).toStdString();
  client.set_basic_auth(user, m_secret.toStdString());
  const auto res = client.Post(("/api/" + command).toStdString(), args.toStdString(), "application/json");
  if (!res) {
    *error = QStringLiteral("IM server not reachable (%1)").arg(command);
    return false;
  }
  *status = res->status;
  *reply = QByteArray::fromStdString(res->body);
  return true;
}

bool XmppAdmin::registerAccount(const QString &userId, QString *error) {
  QJsonObject args;
  args.insert(QStringLiteral("user"), userId);
  args.insert(QStringLiteral("host"), m_domain);
  // Nobody signs in with it: sign-in is by token. It only has to be unguessable.
  args.insert(QStringLiteral("password"), QUuid::createUuid().toString(QUuid::WithoutBraces));
  int status = 0;
  QByteArray reply;
  if (!call(QStringLiteral("register"), json(args), &status, &reply, error))
    return false;
  // An account made by an earlier run of the service is just as good.
  if (status == 200 || reply.contains("already registered"))
    return true;
  *error = QStringLiteral("IM account for %1 refused: %2").arg(userId, QString::fromUtf8(reply));
  return false;
}

bool XmppAdmin::createRoom(quint32 roomId, QString *error) {
  QJsonObject args;
  args.insert(QStringLiteral("name"), QString::number(roomId));
  args.insert(QStringLiteral("service"), kMucPrefix + m_domain);
  args.insert(QStringLiteral("host"), m_domain);
  int status = 0;
  QByteArray reply;
  if (!call(QStringLiteral("create_room"), json(args), &status, &reply, error))
    return false;
  if (status == 200 || reply.contains("already exists"))
    return true;
  *error = QStringLiteral("IM room %1 refused: %2").arg(roomId).arg(QString::fromUtf8(reply));
  return false;
}

bool XmppAdmin::setAffiliation(quint32 roomId, const QString &userId, const QString &affiliation, QString *error) {
  QJsonObject args;
  args.insert(QStringLiteral("name"), QString::number(roomId));
  args.insert(QStringLiteral("service"), kMucPrefix + m_domain);
  args.insert(QStringLiteral("jid"), userId + QLatin1Char('@') + m_domain);
  args.insert(QStringLiteral("affiliation"), affiliation);
  int status = 0;
  QByteArray reply;
  if (!call(QStringLiteral("set_room_affiliation"), json(args), &status, &reply, error))
    return false;
  if (status == 200)
    return true;
  *error = QStringLiteral("IM room %1 refused %2: %3").arg(roomId).arg(userId, QString::fromUtf8(reply));
  return false;
}

bool XmppAdmin::seat(quint32 roomId, const QString &teacherId, const QString &userId, QString *error) {
  QMutexLocker guard(&m_lock);
  const QString seatKey = QStringLiteral("%1/%2").arg(roomId).arg(userId);
  if (m_seats.contains(seatKey))
    return true;
  if (!m_accounts.contains(userId)) {
    if (!registerAccount(userId, error))
      return false;
    m_accounts.insert(userId);
  }
  if (!m_rooms.contains(roomId)) {
    // The service's own account keeps the board history: it must be let into the room.
    if (!createRoom(roomId, error) || !setAffiliation(roomId, kServiceUser, QLatin1String(kMember), error))
      return false;
    m_rooms.insert(roomId);
  }
  const bool teacher = userId == teacherId;
  if (!setAffiliation(roomId, userId, QLatin1String(teacher ? kOwner : kMember), error))
    return false;
  m_seats.insert(seatKey);
  return true;
}
