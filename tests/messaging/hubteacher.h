#pragma once
// A teacher (or any other member) driven by a test, attached straight to a Hub as its own
// connection. Its requests are posted to the hub's thread; what the hub sends it is recorded.

#include "service/hub/hubpeer.h"
#include "protocol/immessage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QString>

class Hub;

class HubTeacher : public HubPeer {
public:
  HubTeacher(Hub *hub, const QString &userId);
  ~HubTeacher() override;

  // Requests; each returns at once, the reply arrives later (see replies()).
  void login(const QString &userSig);
  // authBuffer: the room grant (protocol/roomgrant.h) for this user, room and role.
  void join(quint32 roomId, const QString &role, const QString &authBuffer);
  // As the room's teacher: lets a student on stage, or takes it back.
  void grantStage(const QString &userId);
  void revokeStage(const QString &userId);
  void sendGroup(const QString &groupId, const QJsonArray &elems,
                 const QString &offlinePushExt = QString());
  void sendC2C(const QString &userId, const QJsonArray &elems);

  // Element builders in the hub's form.
  static QJsonObject text(const QString &t);
  static QJsonObject face(int index);
  static QJsonObject custom(const QByteArray &data, const QString &ext);

  // What arrived so far (thread-safe copies).
  QList<hubproto::ImMessage> messages() const;
  QList<QJsonObject> replies() const;
  bool replied(qint64 id, int *code = nullptr) const;
  qint64 lastRequestId() const { return nextId_ - 1; }

  // HubPeer
  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &) override {}
  qint64 queuedBytes() const override { return 0; }
  void disconnectPeer(int code, const QString &reason) override;
  QString describe() const override;

private:
  void request(QJsonObject body);

  Hub *hub_;
  QString userId_;
  quint64 connection_ = 0;
  qint64 nextId_ = 1;
  mutable QMutex mutex_;
  QList<hubproto::ImMessage> messages_;
  QList<QJsonObject> replies_;
  bool attached_ = false;
};
