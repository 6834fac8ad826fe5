#pragma once
// The service's side of an XMPP server (ejabberd) carrying the classes' IM: what the server
// cannot decide for itself is set through its HTTP API, on loopback, with the service's own
// account and secret. Each user gets an account (JWT-only users would have no offline
// storage), each class one members-only room whose owner is the teacher and whose members are
// the students who signed in to the class.

#include <QByteArray>
#include <QMutex>
#include <QSet>
#include <QString>

class XmppAdmin {
public:
  // apiUrl: http://127.0.0.1:<port>; domain: the server's XMPP domain.
  XmppAdmin(QString apiUrl, QString domain, QByteArray secret);

  // Account, room and affiliation for userId in roomId; false with *error when the server
  // refused or could not be reached. Steps already done are not repeated.
  bool seat(quint32 roomId, const QString &teacherId, const QString &userId, QString *error);

  static constexpr int kTimeoutS = 5;
  static const QString kServiceUser; // the service's own account, "service"

private:
  bool registerAccount(const QString &userId, QString *error);
  bool createRoom(quint32 roomId, QString *error);
  bool setAffiliation(quint32 roomId, const QString &userId, const QString &affiliation, QString *error);
  // One API command with a JSON object of arguments; the reply body in *reply.
  bool call(const QString &command, const QByteArray &args, int *status, QByteArray *reply, QString *error);

  QString m_host;
  int m_port = 0;
  QString m_domain;
  QByteArray m_secret;
  QMutex m_lock; // guards the sets; calls run on the HTTP server's threads
  QSet<QString> m_accounts;
  QSet<quint32> m_rooms;
  QSet<QString> m_seats; // "<roomId>/<userId>"
};
