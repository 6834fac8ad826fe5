#include "service/janusapi.h"

#include <QJsonDocument>
#include <QUrl>
#include <QUuid>

#include <httplib.h>

const QString JanusApi::kVideoRoom = QStringLiteral("janus.plugin.videoroom");

namespace {
const QString kJanus = QStringLiteral("janus");
const QString kApiPath = QStringLiteral("/janus");
const QString kAdminPath = QStringLiteral("/admin");
// Janus forgot the service's session (it timed out, or Janus restarted) or its handle.
constexpr int kNoSuchSession = 458;
constexpr int kNoSuchHandle = 459;

quint64 idOf(const QJsonObject &reply) {
  return static_cast<quint64>(reply.value(QStringLiteral("data")).toObject().value(QStringLiteral("id")).toDouble());
}

int errorCode(const QJsonObject &reply) {
  return reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
}

QString errorText(const QString &what, const QJsonObject &reply) {
  const QJsonObject e = reply.value(QStringLiteral("error")).toObject();
  return QStringLiteral("Janus refused %1: %2 %3")
      .arg(what)
      .arg(e.value(QStringLiteral("code")).toInt())
      .arg(e.value(QStringLiteral("reason")).toString());
}
} // namespace

JanusApi::JanusApi(Endpoints endpoints)
    : m_apiSecret(std::move(endpoints.apiSecret)), m_adminSecret(std::move(endpoints.adminSecret)) {
  const QUrl api(endpoints.apiUrl);
  const QUrl admin(endpoints.adminUrl);
  m_api = {api.host(), api.port(80)};
  m_admin = {admin.host(), admin.port(80)};
}

bool JanusApi::post(const Address &to, const QString &path, const QJsonObject &request, QJsonObject *reply,
                    QString *error) const {
  httplib::Client client(to.host.toStdString(), to.port);
  client.set_connection_timeout(kTimeoutS);
  client.set_read_timeout(kTimeoutS);
  const QByteArray body = QJsonDocument(request).toJson(QJsonDocument::Compact);
  const auto res = client.Post(path.toStdString(), body.toStdString(), "application/json");
  const QString what = request.value(kJanus).toString();
  if (!res) {
    *error = QStringLiteral("Janus not reachable (%1)").arg(what);
    return false;
  }
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(res->body));
  if (!doc.isObject()) {
    *error = QStringLiteral("Janus answered %1 with HTTP %2 and no JSON").arg(what).arg(res->status);
    return false;
  }
  *reply = doc.object();
  return true;
}

bool JanusApi::call(const QString &path, QJsonObject request, QJsonObject *reply, QString *error) const {
  request.insert(QStringLiteral("transaction"), QUuid::createUuid().toString(QUuid::WithoutBraces));
  request.insert(QStringLiteral("apisecret"), QString::fromUtf8(m_apiSecret));
  const QString what = request.value(kJanus).toString();
  if (!post(m_api, path, request, reply, error))
    return false;
  if (reply->value(kJanus).toString() == QLatin1String("error")) {
    *error = errorText(what, *reply);
    return false;
  }
  return true;
}

bool JanusApi::openHandle(QString *error) {
  QJsonObject reply;
  if (!call(kApiPath, {{kJanus, QStringLiteral("create")}}, &reply, error))
    return false;
  m_session = idOf(reply);
  const QJsonObject attach{{kJanus, QStringLiteral("attach")}, {QStringLiteral("plugin"), kVideoRoom}};
  if (!call(QStringLiteral("%1/%2").arg(kApiPath).arg(m_session), attach, &reply, error))
    return false;
  m_handle = idOf(reply);
  return true;
}

bool JanusApi::sendToHandle(const QJsonObject &body, QJsonObject *reply, QString *error) {
  const QJsonObject message{{kJanus, QStringLiteral("message")}, {QStringLiteral("body"), body}};
  return call(QStringLiteral("%1/%2/%3").arg(kApiPath).arg(m_session).arg(m_handle), message, reply, error);
}

bool JanusApi::videoroom(const QJsonObject &body, QJsonObject *data, QString *error) {
  QMutexLocker guard(&m_lock);
  QJsonObject reply;
  if (m_handle == 0 && !openHandle(error))
    return false;
  if (!sendToHandle(body, &reply, error)) {
    const int code = errorCode(reply);
    if (code != kNoSuchSession && code != kNoSuchHandle)
      return false;
    // Once more on a new session: the old one went while the service was quiet.
    m_handle = 0;
    if (!openHandle(error) || !sendToHandle(body, &reply, error))
      return false;
  }
  *data = reply.value(QStringLiteral("plugindata")).toObject().value(QStringLiteral("data")).toObject();
  return true;
}

quint64 JanusApi::ownSession() {
  QMutexLocker guard(&m_lock);
  return m_session;
}

bool JanusApi::admin(const QString &request, QJsonObject args, QString *error) {
  QJsonObject reply;
  return adminAt(kAdminPath, request, std::move(args), &reply, error);
}

bool JanusApi::adminQuery(const QString &request, quint64 session, quint64 handle, QJsonObject *reply,
                          QString *error) {
  QString path = kAdminPath;
  if (session != 0)
    path += QStringLiteral("/%1").arg(session);
  if (session != 0 && handle != 0)
    path += QStringLiteral("/%1").arg(handle);
  return adminAt(path, request, QJsonObject(), reply, error);
}

bool JanusApi::adminAt(const QString &path, const QString &request, QJsonObject args, QJsonObject *reply,
                       QString *error) const {
  args.insert(kJanus, request);
  args.insert(QStringLiteral("transaction"), QUuid::createUuid().toString(QUuid::WithoutBraces));
  args.insert(QStringLiteral("admin_secret"), QString::fromUtf8(m_adminSecret));
  if (!post(m_admin, path, args, reply, error))
    return false;
  if (reply->value(kJanus).toString() != QLatin1String("success")) {
    *error = errorText(request, *reply);
    return false;
  }
  return true;
}
