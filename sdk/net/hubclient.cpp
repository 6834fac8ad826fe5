#include "sdk/net/hubclient.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

using namespace hubproto;

namespace sdk {

namespace {
constexpr int kMaxOutgoingText = 1 << 20; // the hub's default limit

HubReply replyOf(const QJsonObject &o) {
  HubReply r;
  r.code = o.value(QLatin1String("code")).toInt(-1);
  r.desc = o.value(QLatin1String("desc")).toString();
  r.body = o;
  return r;
}
} // namespace

HubClient::HubClient(std::unique_ptr<HubTransport> transport, QObject *parent)
    : QObject(parent), m_transport(std::move(transport)), m_timeoutTimer(this) {
  m_transport->setParent(this); // moves to another thread together with the client
  // So that the notices can also be connected across threads.
  qRegisterMetaType<hubproto::ImMessage>();
  qRegisterMetaType<hubproto::MediaFrame>();
  qRegisterMetaType<hubproto::Source>();
  connect(m_transport.get(), &HubTransport::opened, this, &HubClient::onOpened);
  connect(m_transport.get(), &HubTransport::closed, this, &HubClient::onClosed);
  connect(m_transport.get(), &HubTransport::textReceived, this, &HubClient::onText);
  connect(m_transport.get(), &HubTransport::binaryReceived, this, &HubClient::onBinary);
  connect(&m_timeoutTimer, &QTimer::timeout, this, &HubClient::checkTimeouts);
}

HubClient::~HubClient() {
  m_transport->disconnect(this);
  if (m_state == State::Open || m_state == State::Connecting)
    m_transport->close();
}

void HubClient::open() {
  if (m_state != State::Idle)
    return;
  m_state = State::Connecting;
  m_timeoutTimer.start(qBound(20, m_timeoutMs / 4, 500));
  m_transport->open();
}

void HubClient::request(const QString &type, QJsonObject body, HubReplyFn done) {
  if (m_state == State::Closed) {
    QMetaObject::invokeMethod(this, [done] { done({hubproto::ClientConnectionLost, QStringLiteral("not connected"), {}}); },
                              Qt::QueuedConnection);
    return;
  }
  const qint64 id = m_nextId++;
  body.insert(QStringLiteral("type"), type);
  body.insert(QStringLiteral("id"), id);
  const QByteArray text = encode(body);
  if (text.size() > kMaxOutgoingText) {
    QMetaObject::invokeMethod(this, [done] { done({hubproto::TooLarge, QStringLiteral("message too large"), {}}); },
                              Qt::QueuedConnection);
    return;
  }
  m_pending.insert(id, Pending{std::move(done), QDateTime::currentMSecsSinceEpoch() + m_timeoutMs});
  if (m_state == State::Open) {
    m_transport->sendText(text);
    return;
  }
  m_unsent.append(text);
  open();
}

void HubClient::sendFrame(const MediaFrame &frame) {
  if (m_state != State::Open)
    return;
  if (frame.kind == MediaFrame::Video && m_transport->bytesQueued() > kMaxQueuedBytes) {
    ++m_droppedVideo;
    return;
  }
  m_transport->sendBinary(encodeFrame(frame));
}

void HubClient::close() {
  if (m_state == State::Closed)
    return;
  const bool wasOpen = m_state != State::Idle;
  m_state = State::Closed;
  m_unsent.clear();
  if (wasOpen)
    m_transport->close();
  failAll(hubproto::ClientConnectionLost, QStringLiteral("connection closed"));
}

void HubClient::onOpened() {
  if (m_state != State::Connecting)
    return;
  m_state = State::Open;
  const QList<QByteArray> unsent = std::move(m_unsent);
  m_unsent.clear();
  for (const QByteArray &text : unsent)
    m_transport->sendText(text);
}

void HubClient::onClosed(int code, const QString &reason) {
  if (m_state == State::Closed)
    return;
  const bool wasOpen = m_state == State::Open;
  m_state = State::Closed;
  m_unsent.clear();
  if (wasOpen) {
    failAll(hubproto::ClientConnectionLost, QStringLiteral("connection to the class hub lost: ") + reason);
    if (!m_kicked)
      emit connectionLost(code, reason);
  } else {
    failAll(hubproto::ClientConnect, QStringLiteral("cannot reach the class hub: ") + reason);
  }
}

void HubClient::onText(const QByteArray &text) {
  Envelope env;
  int code = 0;
  QString desc;
  if (!parseEnvelope(text, &env, &code, &desc)) {
    qWarning().noquote() << "hub client: refused a message from the hub:" << desc;
    return;
  }
  if (env.type == QLatin1String("reply") || (env.type == QLatin1String("error") && env.id > 0))
    finish(env.id, replyOf(env.body));
  else
    onNotice(env.type, env.body);
}

void HubClient::onNotice(const QString &type, const QJsonObject &o) {
  if (type == QLatin1String("message")) {
    ImMessage m;
    QString error;
    if (messageFromJson(o, &m, &error))
      emit imMessage(m);
    else
      qWarning().noquote() << "hub client: bad message from the hub:" << error;
  } else if (type == QLatin1String("member")) {
    emit memberNotice(o.value(QLatin1String("roomId")).toVariant().toUInt(),
                      o.value(QLatin1String("event")).toString(),
                      o.value(QLatin1String("userId")).toString(), o.value(QLatin1String("role")).toString());
  } else if (type == QLatin1String("stream")) {
    Source source{};
    if (sourceFromName(o.value(QLatin1String("source")).toString(), &source))
      emit streamNotice(o.value(QLatin1String("roomId")).toVariant().toUInt(),
                        o.value(QLatin1String("userId")).toString(), source,
                        o.value(QLatin1String("state")).toString() == QLatin1String("on"));
  } else if (type == QLatin1String("keyframe")) {
    Source source{};
    if (sourceFromName(o.value(QLatin1String("source")).toString(), &source) && source != Source::Audio)
      emit keyframeRequested(source);
  } else if (type == QLatin1String("stage")) {
    emit stageNotice(o.value(QLatin1String("roomId")).toVariant().toUInt(),
                     o.value(QLatin1String("granted")).toBool(), o.value(QLatin1String("role")).toString());
  } else if (type == QLatin1String("kicked")) {
    m_kicked = true;
    emit kicked(o.value(QLatin1String("code")).toInt(), o.value(QLatin1String("desc")).toString());
  } else if (type == QLatin1String("error")) {
    emit hubError(o.value(QLatin1String("code")).toInt(), o.value(QLatin1String("desc")).toString());
  }
}

void HubClient::onBinary(const QByteArray &bytes) {
  MediaFrame frame;
  QString why;
  if (decodeFrame(bytes, &frame, &why))
    emit mediaFrame(frame);
}

void HubClient::finish(qint64 id, const HubReply &reply) {
  auto it = m_pending.find(id);
  if (it == m_pending.end())
    return;
  HubReplyFn done = std::move(it->done);
  m_pending.erase(it);
  done(reply);
}

void HubClient::failAll(int code, const QString &desc) {
  const QList<qint64> ids = m_pending.keys();
  for (qint64 id : ids)
    finish(id, HubReply{code, desc, {}});
}

void HubClient::checkTimeouts() {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  QList<qint64> late;
  for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it)
    if (it->deadline <= now)
      late.append(it.key());
  std::sort(late.begin(), late.end());
  for (qint64 id : late)
    finish(id, HubReply{hubproto::ClientTimeout, QStringLiteral("the class hub did not answer in time"), {}});
}

void HubClient::login(const QString &userId, const QString &userSig, HubReplyFn done) {
  request(QStringLiteral("login"),
          {{QStringLiteral("userId"), userId}, {QStringLiteral("userSig"), userSig}}, std::move(done));
}

void HubClient::logout(HubReplyFn done) { request(QStringLiteral("logout"), {}, std::move(done)); }

void HubClient::join(quint32 roomId, const QString &role, const QString &authBuffer, HubReplyFn done) {
  QJsonObject body{{QStringLiteral("roomId"), static_cast<qint64>(roomId)}, {QStringLiteral("role"), role}};
  if (!authBuffer.isEmpty())
    body.insert(QStringLiteral("authBuffer"), authBuffer);
  request(QStringLiteral("join"), body, std::move(done));
}

void HubClient::grantStage(const QString &userId, HubReplyFn done) {
  request(QStringLiteral("grant"), {{QStringLiteral("userId"), userId}}, std::move(done));
}

void HubClient::revokeStage(const QString &userId, HubReplyFn done) {
  request(QStringLiteral("revoke"), {{QStringLiteral("userId"), userId}}, std::move(done));
}

void HubClient::quit(HubReplyFn done) { request(QStringLiteral("quit"), {}, std::move(done)); }

void HubClient::changeRole(const QString &role, HubReplyFn done) {
  request(QStringLiteral("role"), {{QStringLiteral("role"), role}}, std::move(done));
}

void HubClient::sendMessage(const Conversation &conv, const QVector<Element> &elems,
                            const QString *offlinePushExt, HubReplyFn done, const QString &msgKey) {
  QJsonObject body{{QStringLiteral("conv"), conversationToJson(conv)},
                   {QStringLiteral("elems"), elementsToJson(elems)}};
  if (offlinePushExt)
    body.insert(QStringLiteral("offlinePushExt"), *offlinePushExt);
  if (!msgKey.isEmpty())
    body.insert(QStringLiteral("msgKey"), msgKey);
  request(QStringLiteral("send"), body, std::move(done));
}

void HubClient::publish(Source video, bool audio, HubReplyFn done) {
  request(QStringLiteral("publish"),
          {{QStringLiteral("source"), sourceName(video)}, {QStringLiteral("audio"), audio}}, std::move(done));
}

void HubClient::unpublish(quint64 channelId, HubReplyFn done) {
  request(QStringLiteral("unpublish"), {{QStringLiteral("channelId"), QString::number(channelId)}},
          std::move(done));
}

void HubClient::requestStreams(const QList<StreamRequest> &streams, HubReplyFn done) {
  QJsonArray list;
  for (const StreamRequest &s : streams)
    list.append(QJsonObject{{QStringLiteral("userId"), s.userId}, {QStringLiteral("source"), sourceName(s.source)}});
  request(QStringLiteral("request"), {{QStringLiteral("streams"), list}}, std::move(done));
}

void HubClient::requestKeyframe(const QString &userId, Source source, HubReplyFn done) {
  request(QStringLiteral("keyframe"), {{QStringLiteral("userId"), userId}, {QStringLiteral("source"), sourceName(source)}},
          std::move(done));
}

void HubClient::ping(HubReplyFn done) { request(QStringLiteral("ping"), {}, std::move(done)); }

} // namespace sdk
