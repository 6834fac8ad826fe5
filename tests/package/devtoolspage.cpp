#include "devtoolspage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QScopedPointer>
#include <QTest>

namespace {
constexpr int kListTimeoutMs = 5000;
constexpr int kPollMs = 250;
} // namespace

// Sets m_url as a side effect of the listing it reads; returns the page's debugger address.
QString DevToolsPage::findPage(quint16 port, const QString &origin) {
  QNetworkAccessManager net;
  const QUrl list(QStringLiteral("http://127.0.0.1:%1/json/list").arg(port));
  QScopedPointer<QNetworkReply> reply(net.get(QNetworkRequest(list)));
  if (!QTest::qWaitFor([&] { return reply->isFinished(); }, kListTimeoutMs)) return QString();
  for (const QJsonValue &target : QJsonDocument::fromJson(reply->readAll()).array()) {
    const QJsonObject page = target.toObject();
    if (page.value(QStringLiteral("type")).toString() != QLatin1String("page")) continue;
    const QString url = page.value(QStringLiteral("url")).toString();
    if (url.startsWith(origin)) {
      m_url = url;
      return page.value(QStringLiteral("webSocketDebuggerUrl")).toString();
    }
  }
  return QString();
}

bool DevToolsPage::attach(quint16 port, const QString &origin, int timeoutMs) {
  QString socketUrl;
  const bool listed = QTest::qWaitFor([&] {
    socketUrl = findPage(port, origin);
    if (socketUrl.isEmpty()) QTest::qWait(kPollMs);
    return !socketUrl.isEmpty();
  }, timeoutMs);
  if (!listed) return false;
  m_socket.open(QUrl(socketUrl));
  return QTest::qWaitFor([&] { return m_socket.state() == QAbstractSocket::ConnectedState; }, kListTimeoutMs);
}

QJsonValue DevToolsPage::evaluate(const QString &expression, int timeoutMs) {
  const int id = m_nextId++;
  QJsonObject answer;
  const auto connection = QObject::connect(&m_socket, &QWebSocket::textMessageReceived, [&](const QString &text) {
    const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
    if (message.value(QStringLiteral("id")).toInt() == id) answer = message;
  });
  const QJsonObject params{{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}};
  const QJsonObject call{{QStringLiteral("id"), id}, {QStringLiteral("method"), QStringLiteral("Runtime.evaluate")},
                         {QStringLiteral("params"), params}};
  m_socket.sendTextMessage(QString::fromUtf8(QJsonDocument(call).toJson(QJsonDocument::Compact)));
  const bool answered = QTest::qWaitFor([&] { return !answer.isEmpty(); }, timeoutMs);
  QObject::disconnect(connection);
  if (!answered) return QJsonValue(QJsonValue::Undefined);
  const QJsonObject result = answer.value(QStringLiteral("result")).toObject();
  if (result.contains(QStringLiteral("exceptionDetails"))) return QJsonValue(QJsonValue::Undefined);
  return result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
}

bool DevToolsPage::waitFor(const QString &expression, const QJsonValue &expected, int timeoutMs) {
  return QTest::qWaitFor([&] {
    if (evaluate(expression) == expected) return true;
    QTest::qWait(kPollMs);
    return false;
  }, timeoutMs);
}
