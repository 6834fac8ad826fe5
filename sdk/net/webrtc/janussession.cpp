#include "sdk/net/webrtc/janussession.h"

#include <QJsonDocument>
#include <QNetworkRequest>

namespace sdk {

namespace {
const QLatin1String kJanus("janus");
const QLatin1String kTransaction("transaction");
const QLatin1String kSessionId("session_id");
const QLatin1String kHandleId("handle_id");

QString errorText(const QJsonObject &m) {
  const QJsonObject e = m.value(QLatin1String("error")).toObject();
  return QStringLiteral("%1 %2").arg(e.value(QLatin1String("code")).toInt()).arg(e.value(QLatin1String("reason")).toString());
}

// A plugin may answer a request with an error of its own inside a successful message.
QString pluginError(const QJsonObject &data) {
  if (!data.contains(QLatin1String("error")))
    return QString();
  return QStringLiteral("%1 %2").arg(data.value(QLatin1String("error_code")).toInt()).arg(data.value(QLatin1String("error")).toString());
}
} // namespace

QJsonObject JanusSession::Answer::data() const {
  const QJsonObject plugin = message.value(QLatin1String("plugindata")).toObject();
  if (!plugin.isEmpty())
    return plugin.value(QLatin1String("data")).toObject();
  return message.value(QLatin1String("data")).toObject();
}

JanusSession::JanusSession(const QUrl &url, const QString &token, QObject *parent)
    : QObject(parent), m_url(url), m_token(token), m_socket(QString(), QWebSocketProtocol::VersionLatest, this),
      m_keepAlive(this), m_answerDeadline(this) {
  m_keepAlive.setInterval(kKeepAliveMs);
  m_answerDeadline.setSingleShot(true);
  m_answerDeadline.setInterval(kKeepAliveAnswerMs);
  connect(&m_socket, &QWebSocket::connected, this, &JanusSession::onConnected);
  connect(&m_socket, &QWebSocket::textMessageReceived, this, &JanusSession::onText);
  connect(&m_socket, &QWebSocket::disconnected, this, [this] { fail(QStringLiteral("the link to Janus closed")); });
  connect(&m_keepAlive, &QTimer::timeout, this, &JanusSession::sendKeepAlive);
  connect(&m_answerDeadline, &QTimer::timeout, this, [this] {
    fail(QStringLiteral("Janus did not answer a keep-alive within %1 s").arg(m_answerDeadline.interval() / 1000.0));
  });
}

void JanusSession::setKeepAlive(int intervalMs, int answerMs) {
  m_keepAlive.setInterval(intervalMs);
  m_answerDeadline.setInterval(answerMs);
}

// Answered by an ack; any word from Janus before the deadline will do.
void JanusSession::sendKeepAlive() {
  send({{kJanus, QStringLiteral("keepalive")}}, Done());
  if (!m_answerDeadline.isActive())
    m_answerDeadline.start();
}

void JanusSession::stopKeepAlive() {
  m_keepAlive.stop();
  m_answerDeadline.stop();
}

JanusSession::~JanusSession() {
  m_socket.disconnect(this);
  m_pending.clear(); // nobody is left to tell
  m_socket.abort();
}

void JanusSession::open() {
  QNetworkRequest request(m_url);
  request.setRawHeader("Sec-WebSocket-Protocol", "janus-protocol");
  m_socket.open(request);
}

void JanusSession::onConnected() {
  send({{kJanus, QStringLiteral("create")}}, [this](const Answer &a) {
    const quint64 id = static_cast<quint64>(a.data().value(QLatin1String("id")).toDouble());
    if (!a.error.isEmpty() || id == 0)
      return fail(QStringLiteral("Janus made no session: ") + a.error);
    m_sessionId = id;
    m_keepAlive.start();
    emit opened();
  });
}

void JanusSession::attach(const QString &plugin, const QString &opaqueId, Done done) {
  QJsonObject request{{kJanus, QStringLiteral("attach")}, {QStringLiteral("plugin"), plugin}};
  if (!opaqueId.isEmpty())
    request.insert(QStringLiteral("opaque_id"), opaqueId);
  send(request, std::move(done));
}

void JanusSession::detach(quint64 handle) {
  if (isOpen())
    send({{kJanus, QStringLiteral("detach")}, {kHandleId, double(handle)}}, Done());
}

void JanusSession::message(quint64 handle, const QJsonObject &body, const QJsonObject &jsep, Done done) {
  QJsonObject m{{kJanus, QStringLiteral("message")}, {kHandleId, double(handle)}, {QStringLiteral("body"), body}};
  if (!jsep.isEmpty())
    m.insert(QStringLiteral("jsep"), jsep);
  send(m, std::move(done));
}

void JanusSession::trickle(quint64 handle, int mlineIndex, const QString &candidate) {
  const QJsonObject c = candidate.isEmpty()
                            ? QJsonObject{{QStringLiteral("completed"), true}}
                            : QJsonObject{{QStringLiteral("sdpMLineIndex"), mlineIndex}, {QStringLiteral("candidate"), candidate}};
  send({{kJanus, QStringLiteral("trickle")}, {kHandleId, double(handle)}, {QStringLiteral("candidate"), c}},
       Done()); // answered by an ack
}

void JanusSession::close() {
  m_closing = true;
  stopKeepAlive();
  failPending(QStringLiteral("the session was closed"));
  if (isOpen())
    send({{kJanus, QStringLiteral("destroy")}}, Done());
  m_sessionId = 0;
  m_socket.disconnect(this);
  m_socket.close();
}

void JanusSession::send(QJsonObject request, Done done) {
  if (m_socket.state() != QAbstractSocket::ConnectedState) {
    if (done)
      done(Answer{QStringLiteral("not connected to Janus"), {}});
    return;
  }
  const QString transaction = QString::number(m_nextTransaction++);
  request.insert(kTransaction, transaction);
  if (!m_token.isEmpty())
    request.insert(QStringLiteral("token"), m_token);
  if (m_sessionId != 0)
    request.insert(kSessionId, double(m_sessionId));
  if (done)
    m_pending.insert(transaction, std::move(done));
  m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
}

void JanusSession::onText(const QString &text) {
  m_answerDeadline.stop(); // the link is alive
  const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
  const QString kind = m.value(kJanus).toString();
  const QString transaction = m.value(kTransaction).toString();
  if (kind == QLatin1String("ack") || kind == QLatin1String("webrtcup") || kind == QLatin1String("media") ||
      kind == QLatin1String("slowlink"))
    return; // an answer follows as an event; the rest is Janus's news about the link
  const quint64 sender = static_cast<quint64>(m.value(QLatin1String("sender")).toDouble());
  if (kind == QLatin1String("hangup"))
    return emit hangup(sender, m.value(QLatin1String("reason")).toString());
  if (kind == QLatin1String("timeout"))
    return fail(QStringLiteral("Janus let the session time out"));
  auto pending = m_pending.find(transaction);
  if (pending != m_pending.end()) {
    const Done done = pending.value();
    m_pending.erase(pending);
    Answer answer{kind == QLatin1String("error") ? errorText(m) : QString(), m};
    if (answer.error.isEmpty())
      answer.error = pluginError(answer.data());
    return done(answer);
  }
  if (kind == QLatin1String("event"))
    emit event(sender, Answer{QString(), m}.data(), m.value(QLatin1String("jsep")).toObject());
}

void JanusSession::failPending(const QString &why) {
  const QHash<QString, Done> pending = m_pending;
  m_pending.clear();
  for (const Done &done : pending)
    done(Answer{why, {}});
}

void JanusSession::fail(const QString &why) {
  if (m_closing)
    return;
  m_closing = true;
  stopKeepAlive();
  m_sessionId = 0;
  failPending(why);
  emit lost(why);
}

} // namespace sdk
