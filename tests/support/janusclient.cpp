#include "support/janusclient.h"

#include "protocol/janushandletag.h"

#include <QJsonDocument>
#include <QNetworkRequest>
#include <QTest>

namespace {
const QString kJanus = QStringLiteral("janus");

quint64 idOf(const QJsonObject &reply) {
  return static_cast<quint64>(reply.value(QStringLiteral("data")).toObject().value(QStringLiteral("id")).toDouble());
}
} // namespace

JanusClient::JanusClient() {
  QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [this](const QString &text) {
    m_inbox.append(QJsonDocument::fromJson(text.toUtf8()).object());
  });
}

bool JanusClient::open(const QString &url) {
  QNetworkRequest request{QUrl(url)};
  // Janus speaks only to clients that ask for its subprotocol.
  request.setRawHeader("Sec-WebSocket-Protocol", "janus-protocol");
  m_socket.open(request);
  return QTest::qWaitFor([this] { return isOpen(); }, kWaitMs);
}

bool JanusClient::isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

QJsonObject JanusClient::waitFor(const std::function<bool(const QJsonObject &)> &take, int timeoutMs) {
  QJsonObject found;
  const auto pick = [&] {
    for (int i = 0; i < m_inbox.size(); ++i) {
      if (take(m_inbox.at(i))) {
        found = m_inbox.takeAt(i);
        return true;
      }
    }
    return false;
  };
  if (!pick())
    (void)QTest::qWaitFor(pick, timeoutMs);
  return found;
}

QJsonObject JanusClient::send(QJsonObject request, bool skipAck) {
  const QString transaction = QString::number(m_nextTransaction++);
  request.insert(QStringLiteral("transaction"), transaction);
  if (!token.isEmpty())
    request.insert(QStringLiteral("token"), token);
  if (session != 0)
    request.insert(QStringLiteral("session_id"), static_cast<qint64>(session));
  m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
  return waitFor([&](const QJsonObject &m) {
    return m.value(QStringLiteral("transaction")).toString() == transaction &&
           !(skipAck && m.value(kJanus).toString() == QLatin1String("ack"));
  });
}

QJsonObject JanusClient::createSession(const QString &withToken) {
  token = withToken;
  session = 0;
  const QJsonObject reply = send({{kJanus, QStringLiteral("create")}}, false);
  if (reply.value(kJanus).toString() == QLatin1String("success"))
    session = idOf(reply);
  return reply;
}

QJsonObject JanusClient::attach() { return attach(token.isEmpty() ? QString() : janushandletag::of(token)); }

QJsonObject JanusClient::attach(const QString &tag) {
  QJsonObject request{{kJanus, QStringLiteral("attach")}, {QStringLiteral("plugin"), QStringLiteral("janus.plugin.videoroom")}};
  if (!tag.isEmpty())
    request.insert(QStringLiteral("opaque_id"), tag);
  const QJsonObject reply = send(request, false);
  handle = idOf(reply);
  return reply;
}

QJsonObject JanusClient::message(const QJsonObject &body, const QJsonObject &jsep) {
  QJsonObject request{{kJanus, QStringLiteral("message")},
                      {QStringLiteral("handle_id"), static_cast<qint64>(handle)},
                      {QStringLiteral("body"), body}};
  if (!jsep.isEmpty())
    request.insert(QStringLiteral("jsep"), jsep);
  return send(request, true);
}

QJsonObject JanusClient::pluginData(const QJsonObject &message) {
  return message.value(QStringLiteral("plugindata")).toObject().value(QStringLiteral("data")).toObject();
}
