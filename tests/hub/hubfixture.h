#pragma once
// Participants driven by a test straight into a Hub: the hub answers synchronously, so each
// request returns its reply at once and every notice is already in the peer's inbox.

#include "service/hub/hub.h"
#include "service/hub/hubpeer.h"
#include "protocol/mediaframe.h"

#include <QJsonObject>
#include <QList>

extern const QByteArray kTestSecret;

// A room grant as the service issues it, signed with kTestSecret, good for an hour.
QString testGrant(const QString &userId, quint32 roomId, const QString &role = QStringLiteral("Guest"));

class FakePeer : public HubPeer {
public:
  void sendText(const QByteArray &json) override;
  void sendBinary(const QByteArray &frame) override;
  qint64 queuedBytes() const override { return queued; }
  void disconnectPeer(int code, const QString &reason) override;
  QString describe() const override { return QStringLiteral("fake"); }

  QList<QJsonObject> texts;
  QList<QByteArray> frames;
  bool slow = false; // never takes what it is sent
  qint64 queued = 0;
  bool closed = false;
  int closeCode = -1;
};

class TestParticipant {
public:
  explicit TestParticipant(Hub &hub);
  ~TestParticipant();

  // Sends a request (adds v, id) and returns its reply, or an empty object.
  QJsonObject request(const QString &type, QJsonObject body = QJsonObject());
  void raw(const QByteArray &text) { m_hub.receiveText(m_connection, text); }
  void frame(const QByteArray &bytes) { m_hub.receiveBinary(m_connection, bytes); }
  int login(const QString &userId);
  // With a grant for exactly that role (so LiveGuest enters pre-granted, like an assistant).
  int join(quint32 roomId, const QString &role = QStringLiteral("Guest"));
  int joinWith(quint32 roomId, const QString &role, const QString &authBuffer);
  // As the room's teacher: lets userId on stage, or takes it back.
  int grant(const QString &userId);
  int revoke(const QString &userId);
  int sendGroup(quint32 roomId, const QJsonArray &elems);
  QString publish(const QString &source, bool audio = false); // channel id or empty
  void vanish();

  // Notices of a type received so far (taken out of the inbox).
  QList<QJsonObject> take(const QString &type);
  int code(const QJsonObject &o) const { return o.value(QStringLiteral("code")).toInt(-1); }

  FakePeer peer;
  quint64 connection() const { return m_connection; }

private:
  Hub &m_hub;
  quint64 m_connection;
  qint64 m_nextId = 1;
  QString m_userId; // the last one signed in
  bool m_attached = true;
};

hubproto::MediaFrame testVideoFrame(int width, int height, hubproto::Source source);
// A VP8 frame as the hub sees it (the hub does not look into the payload).
hubproto::MediaFrame testVp8Frame(hubproto::Source source, bool keyframe, quint32 sequence, int bytes = 400);
