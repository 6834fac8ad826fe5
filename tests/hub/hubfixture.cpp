#include "hubfixture.h"

#include "protocol/protocol.h"
#include "protocol/roomgrant.h"
#include "protocol/usersig.h"

#include <QJsonArray>
#include <QJsonDocument>

const QByteArray kTestSecret = QByteArrayLiteral("test secret of the class hub");

void FakePeer::sendText(const QByteArray &json) {
  if (slow)
    queued += json.size();
  texts.append(QJsonDocument::fromJson(json).object());
}

void FakePeer::sendBinary(const QByteArray &frame) {
  if (slow)
    queued += frame.size();
  frames.append(frame);
}

void FakePeer::disconnectPeer(int code, const QString &) {
  closed = true;
  closeCode = code;
}

TestParticipant::TestParticipant(Hub &hub) : m_hub(hub), m_connection(hub.attach(&peer)) {}

TestParticipant::~TestParticipant() { vanish(); }

void TestParticipant::vanish() {
  if (m_attached && !peer.closed)
    m_hub.detach(m_connection);
  m_attached = false;
}

QJsonObject TestParticipant::request(const QString &type, QJsonObject body) {
  const qint64 id = m_nextId++;
  body.insert(QStringLiteral("type"), type);
  body.insert(QStringLiteral("id"), id);
  m_hub.receiveText(m_connection, hubproto::encode(body));
  for (int i = 0; i < peer.texts.size(); ++i) {
    const QJsonObject o = peer.texts[i];
    if (o.value(QStringLiteral("type")) == QLatin1String("reply") &&
        static_cast<qint64>(o.value(QStringLiteral("id")).toDouble()) == id) {
      peer.texts.removeAt(i);
      return o;
    }
  }
  return QJsonObject();
}

int TestParticipant::login(const QString &userId) {
  QJsonObject body;
  body.insert(QStringLiteral("userId"), userId);
  body.insert(QStringLiteral("userSig"), usersig::issueFor(kTestSecret, userId, 3600));
  m_userId = userId;
  return code(request(QStringLiteral("login"), body));
}

QString testGrant(const QString &userId, quint32 roomId, const QString &role) {
  return roomgrant::issueFor(kTestSecret, userId, roomId, role, 3600);
}

int TestParticipant::join(quint32 roomId, const QString &role) {
  return joinWith(roomId, role, testGrant(m_userId, roomId, role));
}

int TestParticipant::joinWith(quint32 roomId, const QString &role, const QString &authBuffer) {
  QJsonObject body;
  body.insert(QStringLiteral("roomId"), static_cast<qint64>(roomId));
  body.insert(QStringLiteral("role"), role);
  body.insert(QStringLiteral("authBuffer"), authBuffer);
  return code(request(QStringLiteral("join"), body));
}

int TestParticipant::grant(const QString &userId) {
  return code(request(QStringLiteral("grant"), QJsonObject{{QStringLiteral("userId"), userId}}));
}

int TestParticipant::revoke(const QString &userId) {
  return code(request(QStringLiteral("revoke"), QJsonObject{{QStringLiteral("userId"), userId}}));
}

int TestParticipant::sendGroup(quint32 roomId, const QJsonArray &elems) {
  QJsonObject conv;
  conv.insert(QStringLiteral("type"), QStringLiteral("group"));
  conv.insert(QStringLiteral("peer"), QString::number(roomId));
  QJsonObject body;
  body.insert(QStringLiteral("conv"), conv);
  body.insert(QStringLiteral("elems"), elems);
  return code(request(QStringLiteral("send"), body));
}

QString TestParticipant::publish(const QString &source, bool audio) {
  QJsonObject body;
  body.insert(QStringLiteral("source"), source);
  body.insert(QStringLiteral("audio"), audio);
  const QJsonObject r = request(QStringLiteral("publish"), body);
  return code(r) == 0 ? r.value(QStringLiteral("channelId")).toString() : QString();
}

QList<QJsonObject> TestParticipant::take(const QString &type) {
  QList<QJsonObject> found;
  for (int i = 0; i < peer.texts.size();) {
    if (peer.texts[i].value(QStringLiteral("type")) == type)
      found.append(peer.texts.takeAt(i));
    else
      ++i;
  }
  return found;
}

hubproto::MediaFrame testVideoFrame(int width, int height, hubproto::Source source) {
  return hubproto::vp8Frame(source, width, height, QByteArray(hubproto::i420Size(width, height), '\x40'), true, 0, 0);
}

hubproto::MediaFrame testVp8Frame(hubproto::Source source, bool keyframe, quint32 sequence, int bytes) {
  return hubproto::vp8Frame(source, 64, 48, QByteArray(bytes, keyframe ? 'k' : 'd'), keyframe, sequence, sequence * 66);
}
