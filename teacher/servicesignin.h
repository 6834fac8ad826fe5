#pragma once
// Gets the teacher's hub credentials from the class service the way a client does: sign in
// with phone and password ("login" "sign-in" → token), then ask the live service for the
// room's sign-in ("live-service" "bgp_login" with token, roomId and the teacher's role →
// userId, userSig, name, authBuffer). Form-encoded POSTs, envelope replies. A student on stage
// (a scripted classmate) also enters the room at the live service, so that the class's roster
// lists it with its name.

#include "teacher/teachercredentials.h"

#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>

#include <functional>

class QNetworkReply;

class ServiceSignIn : public QObject {
  Q_OBJECT
public:
  static constexpr int kTeacherRole = 1;
  static constexpr int kStageRole = 2;
  static constexpr int kTimeoutMs = 15000;

  explicit ServiceSignIn(QObject *parent = nullptr);

  void start(const QString &baseUrl, const QString &phone, const QString &password, quint32 roomId,
             int role = kTeacherRole);

signals:
  // error is empty on success.
  void finished(const TeacherCredentials &credentials, const QString &error);

private:
  using Params = QList<QPair<QString, QString>>;
  using Next = std::function<void(const QJsonObject &data)>;
  void post(const QString &call, const Params &params, Next next);
  void onReply(QNetworkReply *reply, const QString &call, const Next &next);
  void onSignedIn(const QJsonObject &data, quint32 roomId);
  void onRoomSignIn(const QJsonObject &data);
  void enterRoom();
  void succeed();
  void fail(const QString &error);

  QNetworkAccessManager m_net;
  QString m_baseUrl;
  TeacherCredentials m_credentials;
  QString m_token;
  QString m_lineType;
  quint32 m_roomId = 0;
  int m_role = kTeacherRole;
  bool m_finished = false;
};
