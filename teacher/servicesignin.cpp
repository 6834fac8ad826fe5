#include "teacher/servicesignin.h"

#include <QJsonDocument>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {
constexpr int kUnknownApiStatus = 404;

QString textOf(const QJsonObject &data, const char *key) {
  const QJsonValue v = data.value(QLatin1String(key));
  return v.isString() ? v.toString() : v.isDouble() ? QString::number(v.toDouble(), 'f', 0) : QString();
}
} // namespace

ServiceSignIn::ServiceSignIn(QObject *parent) : QObject(parent) {
  m_net.setProxy(QNetworkProxy::NoProxy); // the class service runs on this machine
}

void ServiceSignIn::start(const QString &baseUrl, const QString &phone, const QString &password, quint32 roomId,
                          int role) {
  m_baseUrl = baseUrl.endsWith(QLatin1Char('/')) ? baseUrl.chopped(1) : baseUrl;
  m_roomId = roomId;
  m_role = role;
  m_finished = false;
  m_credentials = TeacherCredentials();
  post(QStringLiteral("login/sign-in"), {{QStringLiteral("phone"), phone}, {QStringLiteral("password"), password}},
       [this, roomId](const QJsonObject &data) { onSignedIn(data, roomId); });
}

void ServiceSignIn::post(const QString &call, const Params &params, Next next) {
  QByteArray form;
  for (const auto &p : params) {
    if (!form.isEmpty())
      form += '&';
    form += QUrl::toPercentEncoding(p.first) + '=' + QUrl::toPercentEncoding(p.second);
  }
  QNetworkRequest request(QUrl(m_baseUrl + QLatin1Char('/') + call));
  request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
  request.setTransferTimeout(kTimeoutMs);
  QNetworkReply *reply = m_net.post(request, form);
  connect(reply, &QNetworkReply::finished, this, [this, reply, call, next] { onReply(reply, call, next); });
}

void ServiceSignIn::onReply(QNetworkReply *reply, const QString &call, const Next &next) {
  reply->deleteLater();
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QJsonObject envelope = QJsonDocument::fromJson(reply->readAll()).object();
  if (status == 0)
    return fail(QStringLiteral("%1: no answer from the class service at %2 (%3)")
                    .arg(call, m_baseUrl, reply->errorString()));
  if (status == kUnknownApiStatus)
    return fail(QStringLiteral("%1: the class service at %2 does not offer this call; "
                               "give the service's secret with --secret and the teacher's id with --user "
                               "to sign in without it")
                    .arg(call, m_baseUrl));
  if (envelope.isEmpty() || !envelope.value(QLatin1String("errorCode")).isDouble())
    return fail(QStringLiteral("%1: the class service answered HTTP %2 without a reply envelope").arg(call).arg(status));
  const int code = envelope.value(QLatin1String("errorCode")).toInt();
  if (code != 0)
    return fail(QStringLiteral("%1: refused with errorCode %2: %3")
                    .arg(call)
                    .arg(code)
                    .arg(envelope.value(QLatin1String("errorInfo")).toString()));
  next(envelope.value(QLatin1String("data")).toObject());
}

void ServiceSignIn::onSignedIn(const QJsonObject &data, quint32 roomId) {
  const QString token = textOf(data, "token");
  if (token.isEmpty())
    return fail(QStringLiteral("login/sign-in: the reply has no token"));
  m_token = token;
  m_credentials.userId = textOf(data, "userId");
  m_credentials.name = textOf(data, "name");
  post(QStringLiteral("live-service/bgp_login"),
       {{QStringLiteral("token"), token},
        {QStringLiteral("roomId"), QString::number(roomId)},
        {QStringLiteral("role"), QString::number(m_role)}},
       [this](const QJsonObject &room) { onRoomSignIn(room); });
}

void ServiceSignIn::onRoomSignIn(const QJsonObject &data) {
  // Each member only when present, as the student's client reads this reply.
  if (data.contains(QLatin1String("userId")))
    m_credentials.userId = textOf(data, "userId");
  if (data.contains(QLatin1String("name")))
    m_credentials.name = textOf(data, "name");
  m_credentials.userSig = textOf(data, "userSig");
  m_credentials.authBuffer = textOf(data, "authBuffer");
  m_lineType = textOf(data, "lineType");
  m_credentials.hubUrl = textOf(data, "hubUrl");
  m_credentials.imToken = textOf(data, "imToken");
  m_credentials.janusUrl = textOf(data, "janusUrl");
  m_credentials.janusToken = textOf(data, "janusToken");
  m_credentials.janusRoom = quint64(data.value(QLatin1String("janusRoom")).toDouble());
  m_credentials.janusFeed = quint64(data.value(QLatin1String("janusFeed")).toDouble());
  if (m_credentials.userId.isEmpty() || m_credentials.userSig.isEmpty())
    return fail(QStringLiteral("live-service/bgp_login: the reply has no userId or userSig"));
  if (m_role == kTeacherRole)
    return succeed();
  enterRoom();
}

// The line type must be the room's, as the class sign-in named it.
void ServiceSignIn::enterRoom() {
  const QString line = m_lineType.isEmpty() ? QStringLiteral("normal") : m_lineType;
  post(QStringLiteral("live-service/enter"),
       {{QStringLiteral("token"), m_token},
        {QStringLiteral("roomId"), QString::number(m_roomId)},
        {QStringLiteral("role"), QString::number(m_role)},
        {QStringLiteral("device"), QStringLiteral("PC2.0_scripted_") + line},
        {QStringLiteral("clientLineType"), line}},
       [this](const QJsonObject &) { succeed(); });
}

void ServiceSignIn::succeed() {
  m_finished = true;
  emit finished(m_credentials, QString());
}

void ServiceSignIn::fail(const QString &error) {
  if (m_finished)
    return;
  m_finished = true;
  emit finished(TeacherCredentials(), error);
}
