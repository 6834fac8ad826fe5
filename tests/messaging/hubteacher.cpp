#include "hubteacher.h"

#include "service/hub/hub.h"
#include "protocol/protocol.h"

#include <QJsonDocument>
#include <QMetaObject>
#include <QMutexLocker>
#include <QThread>

namespace {
// Runs f on the hub's thread and waits for it.
template <typename F> void onHubThread(Hub *hub, F f) {
  if (QThread::currentThread() == hub->thread())
    f();
  else
    QMetaObject::invokeMethod(hub, f, Qt::BlockingQueuedConnection);
}
} // namespace

HubTeacher::HubTeacher(Hub *hub, const QString &userId) : hub_(hub), userId_(userId) {
  onHubThread(hub_, [this] {
    connection_ = hub_->attach(this);
    attached_ = true;
  });
}

HubTeacher::~HubTeacher() {
  onHubThread(hub_, [this] {
    if (attached_)
      hub_->detach(connection_);
    attached_ = false;
  });
}

void HubTeacher::request(QJsonObject body) {
  body.insert(QStringLiteral("id"), nextId_++);
  const QByteArray text = hubproto::encode(body);
  onHubThread(hub_, [this, text] {
    if (attached_)
      hub_->receiveText(connection_, text);
  });
}

void HubTeacher::login(const QString &userSig) {
  request({{"type", "login"}, {"userId", userId_}, {"userSig", userSig}});
}

void HubTeacher::join(quint32 roomId, const QString &role, const QString &authBuffer) {
  request({{"type", "join"}, {"roomId", qint64(roomId)}, {"role", role}, {"authBuffer", authBuffer}});
}

void HubTeacher::grantStage(const QString &userId) { request({{"type", "grant"}, {"userId", userId}}); }

void HubTeacher::revokeStage(const QString &userId) { request({{"type", "revoke"}, {"userId", userId}}); }

void HubTeacher::sendGroup(const QString &groupId, const QJsonArray &elems,
                           const QString &offlinePushExt) {
  QJsonObject body{{"type", "send"},
                   {"conv", QJsonObject{{"type", "group"}, {"peer", groupId}}},
                   {"elems", elems}};
  if (!offlinePushExt.isEmpty())
    body.insert(QStringLiteral("offlinePushExt"), offlinePushExt);
  request(body);
}

void HubTeacher::sendC2C(const QString &userId, const QJsonArray &elems) {
  request({{"type", "send"},
           {"conv", QJsonObject{{"type", "c2c"}, {"peer", userId}}},
           {"elems", elems}});
}

QJsonObject HubTeacher::text(const QString &t) { return {{"type", "text"}, {"text", t}}; }

QJsonObject HubTeacher::face(int index) {
  return {{"type", "face"}, {"index", index}, {"data", ""}};
}

QJsonObject HubTeacher::custom(const QByteArray &data, const QString &ext) {
  return {{"type", "custom"}, {"data", QString::fromUtf8(data)}, {"ext", ext}};
}

void HubTeacher::sendText(const QByteArray &json) {
  const QJsonObject o = QJsonDocument::fromJson(json).object();
  QMutexLocker lock(&mutex_);
  const QString type = o.value(QStringLiteral("type")).toString();
  if (type == QLatin1String("message")) {
    hubproto::ImMessage m;
    QString error;
    if (hubproto::messageFromJson(o, &m, &error))
      messages_.append(m);
  } else if (type == QLatin1String("reply")) {
    replies_.append(o);
  }
}

void HubTeacher::disconnectPeer(int, const QString &) { attached_ = false; }

QString HubTeacher::describe() const { return QStringLiteral("test teacher ") + userId_; }

QList<hubproto::ImMessage> HubTeacher::messages() const {
  QMutexLocker lock(&mutex_);
  return messages_;
}

QList<QJsonObject> HubTeacher::replies() const {
  QMutexLocker lock(&mutex_);
  return replies_;
}

bool HubTeacher::replied(qint64 id, int *code) const {
  QMutexLocker lock(&mutex_);
  for (const QJsonObject &r : replies_) {
    if (qint64(r.value(QStringLiteral("id")).toDouble()) == id) {
      if (code)
        *code = r.value(QStringLiteral("code")).toInt();
      return true;
    }
  }
  return false;
}
