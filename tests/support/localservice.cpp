#include "support/localservice.h"

#include "support/testenv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {
constexpr int kRequestTimeoutMs = 10000;
}

LocalService::LocalService(const QStringList &extraArgs)
    : m_extraArgs(extraArgs), m_secret(QByteArrayLiteral("tarnwick-test-secret")) {
  m_process.setProcessChannelMode(QProcess::MergedChannels);
}

LocalService::~LocalService() { stop(); }

QString LocalService::programPath() { return testenv::binDir() + QStringLiteral("/tarnwick-local"); }

bool LocalService::start(int timeoutMs) {
  if (isRunning()) return true;
  m_output.clear();
  m_httpPort = m_hubPort = 0;
  QStringList args = {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--hub-port"),
                      QStringLiteral("0"), QStringLiteral("--secret"), QString::fromUtf8(m_secret)};
  args += m_extraArgs;
  m_process.start(programPath(), args);
  if (!m_process.waitForStarted(timeoutMs)) {
    m_error = QStringLiteral("cannot start %1: %2").arg(programPath(), m_process.errorString());
    return false;
  }
  static const QRegularExpression ready(QStringLiteral("^tarnwick-local http=(\\d+) hub=(\\d+)$"),
                                        QRegularExpression::MultilineOption);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs) {
    m_process.waitForReadyRead(100);
    m_output += m_process.readAll();
    const QRegularExpressionMatch m = ready.match(QString::fromUtf8(m_output));
    if (m.hasMatch()) {
      m_httpPort = quint16(m.captured(1).toUInt());
      m_hubPort = quint16(m.captured(2).toUInt());
      return true;
    }
    if (m_process.state() == QProcess::NotRunning) break;
  }
  m_error = QStringLiteral("tarnwick-local did not get ready: %1").arg(QString::fromUtf8(m_output));
  m_process.kill();
  m_process.waitForFinished(2000);
  return false;
}

bool LocalService::stop(int timeoutMs) {
  if (m_process.state() == QProcess::NotRunning) return true;
  m_process.terminate(); // SIGTERM
  // Waiting with this thread's events running: a request of this process whose body is yet
  // to be written would otherwise hold the service's shutdown until its read deadline.
  const bool ended = QCoreApplication::instance()
                         ? QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, timeoutMs)
                         : m_process.waitForFinished(timeoutMs);
  m_output += m_process.readAll();
  if (!ended) {
    m_process.kill();
    m_process.waitForFinished(2000);
  }
  return ended;
}

bool LocalService::waitForExit(int timeoutMs) {
  const bool ended = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
  m_output += m_process.readAll();
  return ended;
}

bool LocalService::isRunning() const { return m_process.state() != QProcess::NotRunning; }

QString LocalService::baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_httpPort); }

QString LocalService::hubUrl() const {
  return m_hubPort ? QStringLiteral("ws://127.0.0.1:%1").arg(m_hubPort) : QString();
}

QByteArray LocalService::output() {
  m_output += m_process.readAll();
  return m_output;
}

int LocalService::Reply::errorCode() const {
  return envelope.value(QStringLiteral("errorCode")).toInt(-1);
}

QString LocalService::Reply::errorInfo() const { return envelope.value(QStringLiteral("errorInfo")).toString(); }

QJsonObject LocalService::Reply::data() const { return envelope.value(QStringLiteral("data")).toObject(); }

LocalService::Reply LocalService::send(const QString &method, const QString &pathAndQuery, const QByteArray &body,
                                       const QByteArray &contentType) const {
  QNetworkAccessManager manager;
  QNetworkRequest request(QUrl(baseUrl() + pathAndQuery));
  if (!contentType.isEmpty()) request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
  QNetworkReply *reply = method == QLatin1String("GET") ? manager.get(request) : manager.post(request, body);
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  timeout.start(kRequestTimeoutMs);
  loop.exec();
  Reply r;
  if (reply->isFinished()) {
    r.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    r.body = reply->readAll();
    const QJsonDocument doc = QJsonDocument::fromJson(r.body);
    if (doc.isObject()) r.envelope = doc.object();
  } else {
    reply->abort();
  }
  delete reply;
  return r;
}

LocalService::Reply LocalService::call(const QString &service, const QString &path, const Params &params) const {
  QByteArray form;
  for (const auto &p : params) {
    if (!form.isEmpty()) form += '&';
    form += QUrl::toPercentEncoding(p.first) + '=' + QUrl::toPercentEncoding(p.second);
  }
  return postRaw(QStringLiteral("/%1/%2").arg(service, path), form);
}

LocalService::Reply LocalService::postRaw(const QString &path, const QByteArray &body,
                                          const QByteArray &contentType) const {
  return send(QStringLiteral("POST"), path, body, contentType);
}

LocalService::Reply LocalService::get(const QString &pathAndQuery) const {
  return send(QStringLiteral("GET"), pathAndQuery, QByteArray(), QByteArray());
}

QString LocalService::signIn(const QString &phone, const QString &password) const {
  const Reply r = call(QStringLiteral("login"), QStringLiteral("sign-in"),
                       {{QStringLiteral("phone"), phone}, {QStringLiteral("password"), password}});
  return r.errorCode() == 0 ? r.data().value(QStringLiteral("token")).toString() : QString();
}
