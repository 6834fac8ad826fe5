#pragma once
// A bare client of Janus's WebSocket API for tests: one session, one VideoRoom handle, requests
// answered in order, with none of the SDK's checks in the way. Every wait is bounded.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QWebSocket>

#include <functional>

class JanusClient {
public:
  static constexpr int kWaitMs = 5000;

  JanusClient();
  bool open(const QString &url);
  // "create" with the token (empty: none); the Janus answer ("success" or "error").
  QJsonObject createSession(const QString &token);
  // "attach" to the VideoRoom on the open session, with the tag of the session's token as the
  // SDK does, or with the tag given (none when empty).
  QJsonObject attach();
  QJsonObject attach(const QString &tag);
  // A VideoRoom request on the handle, with an optional jsep; the plugin's answer (the first
  // reply to it that is not an "ack"), whole.
  QJsonObject message(const QJsonObject &body, const QJsonObject &jsep = QJsonObject());
  // Waits for a message from Janus that the predicate takes; empty when none came in time.
  QJsonObject waitFor(const std::function<bool(const QJsonObject &)> &take, int timeoutMs = kWaitMs);
  bool isOpen() const;

  // The plugin data of a VideoRoom answer or event.
  static QJsonObject pluginData(const QJsonObject &message);

  QString token;
  quint64 session = 0;
  quint64 handle = 0;

private:
  QJsonObject send(QJsonObject request, bool skipAck);

  QWebSocket m_socket;
  QList<QJsonObject> m_inbox;
  int m_nextTransaction = 1;
};
